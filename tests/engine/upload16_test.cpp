// The 16-bit upload defines the same texture as the float path it replaced:
// every host value 0..32768 (and values above full scale), uploaded both
// ways into RGBA16 and read back from GL, compared texel by texel.
#include "common/engine_fixture.h"

#include "engine/pixel_convert.h"

#include <algorithm>

#include <glad/gl.h>
#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>

namespace {

// The texture's texels as GL stores them.
std::vector<uint16_t> defineAndRead(int w, int h, GLenum type, const void *pixels)
{
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA16, w, h, 0, GL_RGBA, type, pixels);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    std::vector<uint16_t> texels(static_cast<size_t>(w) * h * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_SHORT, texels.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glBindTexture(GL_TEXTURE_2D, 0);
    glDeleteTextures(1, &texture);
    return texels;
}

TEST_F(EngineTest, SixteenBitUploadDefinesTheSameTextureAsTheFloatPath)
{
    constexpr int kW = 129, kH = 65;  /* 8385 pixels, 33540 channels */
    HostBuffer host(kW, kH, 16);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            for (int c = 0; c < 4; ++c) {
                int i = ((y * kW + x) * 4 + c);
                host.set(x, y, c, i <= 32768 ? i : 32768 + (i - 32768) * 41);  /* then past full scale */
            }
    std::vector<float> floats(static_cast<size_t>(kW) * kH * 4);
    qv::convertHostToFloat(*host.world(), 16, kW, kH, floats.data());
    std::vector<uint16_t> unorm(floats.size());
    qv::convertHost16ToUnorm16(*host.world(), kW, kH, unorm.data());

    qv::EngineProbe probe(engine());
    glfwMakeContextCurrent(probe->window);
    std::vector<uint16_t> viaFloats = defineAndRead(kW, kH, GL_FLOAT, floats.data());
    std::vector<uint16_t> viaUnorm = defineAndRead(kW, kH, GL_UNSIGNED_SHORT, unorm.data());
    glfwMakeContextCurrent(nullptr);
    int differ = 0;
    for (size_t i = 0; i < viaFloats.size(); ++i) {
        /* float texel i is RGBA of a pixel; the unorm one keeps the host's ARGB */
        size_t pixel = i / 4, channel = i % 4;
        uint16_t native = viaUnorm[pixel * 4 + (channel + 1) % 4];
        if (native != viaFloats[i] && ++differ <= 10)
            ADD_FAILURE() << "texel " << i << ": " << native << " instead of " << viaFloats[i];
    }
    EXPECT_EQ(differ, 0);
    std::vector<uint16_t> distinct(viaFloats);
    std::sort(distinct.begin(), distinct.end());
    distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
    EXPECT_EQ(distinct.size(), 32769u) << "every host value 0..32768 reached the texture, each its own texel value";
}

} // namespace
