// CFrame: a rectangle surrounded by eight border pieces (four corners, four
// edges) that follow its size and position.
//
// Pieces: 0 top-left, 1 top, 2 top-right, 3 left, 4 right, 5 bottom-left,
// 6 bottom, 7 bottom-right. The description gives them as "gui" children
// with a "border" index; `border` is the overlap ("borderX", "borderY").
#pragma once

#include "core/CVector.h"
#include "gui/CGUI.h"

#include <cstdint>

class CFrame : public CGUI {
public:
    static constexpr std::uint32_t pieceCount = 8;

    CFrame();
    CFrame(const CFrame& other);
    ~CFrame() override;

    void draw() override;
    // Common attributes, then "borderX" and "borderY".
    void load(CXMLNode& node) override;
    using CGUI::copyFrom;
    // load; then every "gui" child is read into a temporary element (with
    // its sprite) and copied into the piece its "border" index names; then
    // the pieces are laid out.
    void loadDescription(CXMLNode& node, CGUIManager& manager, CResourceManager* resources) override;

    // Copies `element` into piece `index` (ignored past the last piece); the
    // piece's parent becomes the frame.
    void setPiece(std::uint32_t index, const CGUI& element);
    CGUI* getPiece(std::uint32_t index);
    const CVector& getBorder() const { return border; }
    // Emits onMove with the position and onResize with the size, which lays
    // the pieces out.
    void layoutPieces();

protected:
    // Handlers, connected by the constructor in this order.
    void resized(float width, float height);
    void moved(float x, float y);

    CGUI pieces[pieceCount];
    CVector border;
};
