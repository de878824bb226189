// The bounds a source must keep before it reaches the driver: pure text, no GL.
#include "translate/glsl_measure.h"

#include "common/file_bytes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

// `text` repeated `times` times.
std::string repeat(const std::string &text, int times)
{
    std::string out;
    for (int i = 0; i < times; ++i)
        out += text;
    return out;
}

// A chain of `levels` object-like macros, each of `width` uses of the one
// before, the first being "x": the last expands to width^levels tokens.
std::string macroChain(int levels, int width, const std::string &last = "x")
{
    std::string source = "#define M0 " + last + "\n";
    for (int i = 1; i <= levels; ++i)
        source += "#define M" + std::to_string(i) + repeat(" M" + std::to_string(i - 1), width) + "\n";
    return source + "M" + std::to_string(levels) + "\n";
}

TEST(GlslMeasure, TheExamplesAndTheCorpusPass)
{
    int measured = 0;
    for (const char *folder : {QV_SOURCE_DIR "/examples", QV_TEST_DATA_DIR "/shadertoy", QV_SOURCE_DIR "/engine/shaders"})
        for (const auto &entry : std::filesystem::directory_iterator(folder))
            if (entry.path().extension() == ".glsl") {
                EXPECT_EQ(qv::MeasureGlsl(fileBytes(entry.path().string())), "") << entry.path();
                ++measured;
            }
    EXPECT_GT(measured, 20);
}

TEST(GlslMeasure, SourcesWithinTheBoundsPass)
{
    const std::string sources[] = {
        "float a[4096];",
        "vec4 a[32][128];",
        "#define N 64\nconst int M = N / 2; float a[N][M]; float b[M * 2][N / 2];",
        "struct S { float a[100]; }; S s[39];",
        "void main(){ vec4 c = layer[0][1] + v[4000] + v[4000] + v[4000]; }",  // indexing declares nothing
        "// float a[2000000000];\n/* float b[2000000000]; */ float c[4];",
        "#define N 2000000000\n#undef N\nconst int N = 4; float a[N];",
        "float a[n]; float b[]; float c[-5];",  // not constants: the compiler's to refuse
        macroChain(10, 4),                      // 2 MB once expanded
        "#define F(x) x x\n#define G(x) F(F(F(x)))\nG(G(G(y)))",
        "#define SAT(x) clamp(x, 0.0, 1.0)\n" + repeat("SAT(", 150) + "v" + repeat(")", 150),
        "#define F(x) F(x) + G(x)\n#define G(x) F(x)\nF(a) G(b) F(F(c))",  // no macro expands inside itself
        "#define F(x, y) x ## y\n#define S(x) #x\nF(a, b) S(c) F(,) S()",
    };
    for (const std::string &source : sources)
        EXPECT_EQ(qv::MeasureGlsl(source), "") << source.substr(0, 200);
}

TEST(GlslMeasure, SourcesPastTheBoundsAreRefused)
{
    const char kArrays[] = "arrays hold ";
    const char kBytes[] = "macros expand to more than 4194304 bytes";
    const struct {
        std::string source;
        const char *expected;
    } cases[] = {
        {"float a[2000000000];", "arrays hold 2000000000 elements in all, more than the 4096 allowed"},
        {"float a[4097];", kArrays},
        {"float a[2048]; vec2 b[1024], c[1025];", kArrays},
        {"vec4 a[64][65];", kArrays},
        {"float[2000000000] a;", kArrays},
        {"uniform mat4 m[16][16][17];", kArrays},
        {"#define N 4096\nfloat a[N + 1];", kArrays},
        {"#define N 2000\\\n000000\nfloat a[N];", kArrays},  // a continued line
        {"#define DIM(n) [n]\nfloat a DIM(64) DIM(65);", kArrays},
        {"const int N = 65; float a[N][N - 1];", kArrays},
        {"const uint N = 1u << 12; float a[N + 1u];", kArrays},
        {"const int N = int(1e9); float a[N];", kArrays},
        {"struct S { float a[100]; }; S s[40];", kArrays},
        {"struct S { float a[10]; }; struct T { S s[10]; }; T t[40];", kArrays},
        {macroChain(11, 4), kBytes},
        {macroChain(6, 16), kBytes},
        {"#define F(x) x x\n#define G(x) F(F(F(F(x))))\n#define H(x) G(G(G(G(x))))\n#define I(x) H(H(H(H(x))))\nI(I(y))",
         kBytes},
        {"#define F(x) x x x x\n#define A F\nA(A(A(A(A(A(A(A(A(A(A(A(y))))))))))))", kBytes},  // rescanned calls
        {"#define F(x) x x x x\n#define A(x) F(x) F\nA(A(A(A(A(A(A(A(A(A(A(y)))))))))))(z)", kBytes},
        {"#define F(x) x\n" + repeat("F(", 300) + "y" + repeat(")", 300), "macro arguments nest more than 200 deep"},
        {macroChain(8, 10, ""), "macros take more than 20000000 steps to expand"},
        {"#define N 100\n" + macroChain(3, 4, "float a[N];"), kArrays},
    };
    for (const auto &c : cases) {
        std::string refusal = qv::MeasureGlsl(c.source);
        EXPECT_EQ(refusal.rfind("Refused before compiling: ", 0), 0u) << c.source.substr(0, 200) << "\n" << refusal;
        EXPECT_NE(refusal.find(c.expected), std::string::npos) << c.source.substr(0, 200) << "\n" << refusal;
        EXPECT_EQ(refusal.back(), '\n');
    }
}

} // namespace
