// CFrame: eight border pieces laid out around the frame's rectangle.
//
// The pieces are fixed members; a description that names a piece outside
// 0 to 7 (or a negative one) is ignored, so nothing is allocated for it.
#include "gui/CFrame.h"

#include "gui/CGUIManager.h"
#include "gui/GUIAttributes.h"
#include "xml/CXMLNode.h"

CFrame::CFrame()
{
    setType(Frame);
    for (CGUI& piece : pieces)
        piece.setParent(this);
    connectSlot(connections, onResize, this, &CFrame::resized);
    connectSlot(connections, onMove, this, &CFrame::moved);
}

CFrame::CFrame(const CFrame& other)
    : CFrame()
{
    copyFrom(other);
}

CFrame::~CFrame() = default;

void CFrame::load(CXMLNode& node)
{
    CGUI::load(node);
    border.x = GUIAttributes::real(node, "borderX", 0.0f);
    border.y = GUIAttributes::real(node, "borderY", 0.0f);
}

void CFrame::loadDescription(CXMLNode& node, CGUIManager&, CResourceManager* resources)
{
    load(node);
    for (std::uint32_t i = 0; i < node.childCount(); ++i) {
        CXMLNode& child = *node.child(i);
        if (child.name() != String("gui"))
            continue;
        std::unique_ptr<CGUI> piece = CGUIManager::createFromNode(child, resources);
        if (!piece)
            continue;
        piece->load(child);
        const std::int32_t index = GUIAttributes::integer(child, "border", 0);
        if (index >= 0)
            setPiece(static_cast<std::uint32_t>(index), *piece);
    }
    layoutPieces();
}

void CFrame::setPiece(std::uint32_t index, const CGUI& element)
{
    if (index >= pieceCount || &element == &pieces[index])
        return;
    pieces[index].copyFrom(element);
    // A piece copied from the frame itself or one of its ancestors would
    // make a loop; such a copy keeps no parent rather than loop.
    if (!pieces[index].setParent(this))
        pieces[index].setParent(nullptr);
}

CGUI* CFrame::getPiece(std::uint32_t index)
{
    return index < pieceCount ? &pieces[index] : nullptr;
}

void CFrame::layoutPieces()
{
    onMove.emit(getX(), getY());
    onResize.emit(getWidth(), getHeight());
}

void CFrame::resized(float width, float height)
{
    const float dx = pieces[0].getWidth() - border.x;
    const float dy = pieces[0].getHeight() - border.y;
    pieces[1].setSize(width - dx, pieces[1].getHeight());
    pieces[6].setSize(width - dx, pieces[6].getHeight());
    pieces[3].setSize(pieces[3].getWidth(), height - dy);
    pieces[4].setSize(pieces[4].getWidth(), height - dy);
    moved(getX(), getY());
}

void CFrame::moved(float x, float y)
{
    setTranslation(x, y, getDepth());
    const float bX = border.x;
    const float bY = border.y;
    const float dx = pieces[0].getWidth() - bX;
    const float dy = pieces[0].getHeight() - bY;
    const float ex = dx * 0.5f;
    const float ey = dy * 0.5f;
    const float ey2 = ey + 0.5f;
    pieces[0].setPosition(-ex - bX, -ey - bY);
    pieces[1].setPosition(ex, -ey - bY);
    pieces[2].setPosition(dx + pieces[1].getWidth() - ex - 0.5f, -ey - bY);
    pieces[3].setPosition(-ex - bX, dy - ey);
    pieces[4].setPosition(pieces[2].getX() + pieces[2].getWidth() - pieces[4].getWidth(), dy - ey);
    pieces[5].setPosition(-ex - bX, dy + pieces[3].getHeight() - ey2);
    pieces[6].setPosition(ex, pieces[5].getY() + pieces[5].getHeight() - pieces[6].getHeight());
    pieces[7].setPosition(dx + pieces[6].getWidth() - ex - 0.5f, dy + pieces[3].getHeight() - ey2);
}

void CFrame::draw()
{
    CGUI::draw();
    if (!isVisible())
        return;
    for (CGUI& piece : pieces) {
        piece.setDepth(getDepth() + 1.0f);
        piece.draw();
    }
}
