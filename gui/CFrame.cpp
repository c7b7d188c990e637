// CFrame: eight border pieces laid out around the frame's rectangle.
#include "gui/CFrame.h"

#include "gui/CGUIManager.h"

CFrame::CFrame()
{
    setType(Frame);
}

CFrame::CFrame(const CFrame& other)
    : CFrame()
{
    copyFrom(other);
}

CFrame::~CFrame() = default;

void CFrame::draw()
{
    CGUI::draw();
}

void CFrame::load(CXMLNode& node)
{
    CGUI::load(node);
}

void CFrame::loadDescription(CXMLNode& node, CGUIManager& manager, CResourceManager* resources)
{
    CGUI::loadDescription(node, manager, resources);
}

void CFrame::setPiece(std::uint32_t, const CGUI&)
{
}

CGUI* CFrame::getPiece(std::uint32_t index)
{
    return index < pieceCount ? &pieces[index] : nullptr;
}

void CFrame::layoutPieces()
{
}

void CFrame::resized(float, float)
{
}

void CFrame::moved(float, float)
{
}
