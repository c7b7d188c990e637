// Reading the framebuffer back needs a renderer; without one nothing happens.
#include "image/CImage.h"
#include "render/Renderer.h"
#include "render/Screenshot.h"

#include <gtest/gtest.h>

TEST(Screenshot, WithoutARendererNothingIsReadAndTheImageIsKept)
{
    ASSERT_FALSE(isRendererInitialised());
    CImage image;
    image.create(2, 2, 3, 24);
    const std::uint8_t* before = image.getData();
    EXPECT_FALSE(readFramebuffer(0, 0, 4, 4, 3, image));
    EXPECT_EQ(image.getData(), before);
    EXPECT_EQ(image.getWidth(), 2u);
}
