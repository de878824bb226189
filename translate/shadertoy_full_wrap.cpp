#include "translate/shadertoy_full_wrap.h"

#include <cctype>
#include <set>

namespace qv {

// Every input is made from uniforms the engine's prelude already declares,
// so the engine sets nothing new. Names of our own carry the prefix
// "qv_st_", which neither the website nor the edit-time conversion writes.
//
// iResolution, iMouse, iFrame, iDate: the website's vec3, vec4, int, vec4.
// iMouse.zw is the click position, positive while the button is held:
// "Checkbox 9" holds the button down at point 0; unticked, zw is -|point 0|
// (released), so a point off the frame's left or bottom edge does not read
// as a held button. iDate is 1 January 2000 plus the frame's time, so a repeated
// render of a frame sees the same date.
//
// The edit-time conversion has already turned iChannelResolution[n] into
// layerResolution[n], a vec2 in the prelude; here that name stands for an
// array of vec3 (z = 1.0, the pixel aspect ratio) made from the uniform, so
// ".z" compiles. The function reads the uniform before the name is taken.
// iChannelResolution and iChannelTime with an index that is not a number
// are not converted at edit time and are mapped here.
//
// HW_PERFORMANCE is defined by the website (1 on capable hardware);
// texture2D and texture2DLod were renamed in GLSL 1.30 and are missing from the
// core profile, and the WebGL 1 extension functions are core functions now.
// buffer, packed, precise, row_major and shared are free names in the
// website's GLSL ES 3.00 but words this compiler reserves: renamed.
// "#line 1" makes the code's lines count from 1 in compile messages.
const char kShadertoyFullHead[] =
    "\nvec3[10] qv_st_channelResolution(){\n"
    "vec3 r[10];\n"
    "for(int i=0;i<10;++i) r[i]=vec3(layerResolution[i],1.0);\n"
    "return r;\n"
    "}\n"
    "float[10] qv_st_channelTime(){\n"
    "float t[10];\n"
    "for(int i=0;i<10;++i) t[i]=time;\n"
    "return t;\n"
    "}\n"
    "#define layerResolution qv_st_channelResolution()\n"
    "#define iChannelResolution qv_st_channelResolution()\n"
    "#define iChannelTime qv_st_channelTime()\n"
    "#define iResolution vec3(resolution,1.0)\n"
    "#define iTime time\n"
    "#define iGlobalTime time\n"
    "#define iTimeDelta (1.0/fps)\n"
    "#define iFrameRate fps\n"
    "#define iFrame int(floor(fps*time+0.5))\n"
    "#define iMouse vec4(point[0],(checkbox[9]?1.0:-1.0)*abs(point[0]))\n"
    "#define iDate vec4(2000.0,0.0,1.0+floor(time/86400.0),mod(time,86400.0))\n"
    "#define iSampleRate 44100.0\n"
    "#define iChannel0 layer[0]\n"
    "#define iChannel1 layer[1]\n"
    "#define iChannel2 layer[2]\n"
    "#define iChannel3 layer[3]\n"
    "#define iChannel4 layer[4]\n"
    "#define iChannel5 layer[5]\n"
    "#define iChannel6 layer[6]\n"
    "#define iChannel7 layer[7]\n"
    "#define iChannel8 layer[8]\n"
    "#define iChannel9 layer[9]\n"
    "#define HW_PERFORMANCE 1\n"
    "#define texture2D texture\n"
    "#define texture2DLod textureLod\n"
    "#define texture2DLodEXT textureLod\n"
    "#define texture2DGradEXT textureGrad\n"
    "#define buffer qv_st_buffer\n"
    "#define packed qv_st_packed\n"
    "#define precise qv_st_precise\n"
    "#define row_major qv_st_row_major\n"
    "#define shared qv_st_shared\n"
    "#line 1\n";
const char kShadertoyFullTail[] = "\nvoid main(){\nmainImage(outColor,uv2xy(uv));\n}\n";

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

size_t skipBlanks(const std::string &text, size_t at)
{
    while (at < text.size() && isBlank(text[at]))
        ++at;
    return at;
}

// The identifier at `at` ("" when there is none).
std::string wordAt(const std::string &text, size_t at)
{
    size_t end = at;
    while (end < text.size() && isWordChar(text[end]))
        ++end;
    return text.substr(at, end - at);
}

// The start of the line after the one at `line`; the text's size after the last.
size_t nextLine(const std::string &text, size_t line)
{
    size_t feed = text.find('\n', line);
    return feed == std::string::npos ? text.size() : feed + 1;
}

// A preprocessor line: where its '#' is, its directive and the directive's first argument.
struct Directive {
    size_t hash = std::string::npos;
    std::string name, argument;
};

Directive directiveAt(const std::string &code, size_t line)
{
    Directive d;
    size_t at = skipBlanks(code, line);
    if (at >= code.size() || code[at] != '#')
        return d;
    d.hash = at;
    size_t word = skipBlanks(code, at + 1);
    d.name = wordAt(code, word);
    d.argument = wordAt(code, skipBlanks(code, word + d.name.size()));
    return d;
}

// The names the head #defines.
const std::set<std::string> &headNames()
{
    static const std::set<std::string> names = [] {
        std::set<std::string> found;
        const std::string head = kShadertoyFullHead;
        for (size_t line = 0; line < head.size(); line = nextLine(head, line)) {
            Directive d = directiveAt(head, line);
            if (d.name == "define")
                found.insert(d.argument);
        }
        return found;
    }();
    return names;
}

} // namespace

// Line by line:
// - an #extension line becomes a comment: old shaders ask for WebGL 1
//   extensions (derivatives, texture LOD) whose functions GLSL 3.30 has in
//   core, and after the engine's prelude the directive is refused anyway;
// - a #define of a name the head defines gets an #undef before it: on the
//   website the inputs are uniforms, which a macro of the shader's may hide
//   ("#define iResolution vec3(800.0, 450.0, 1.0)").
void adaptDirectives(std::string &code)
{
    for (size_t line = 0; line < code.size();) {
        Directive d = directiveAt(code, line);
        if (d.name == "extension") {
            code.replace(d.hash, 1, "//");
        } else if (d.name == "define" && headNames().count(d.argument)) {
            std::string undef = "#undef " + d.argument + "\n";
            code.insert(line, undef);
            line += undef.size();
        }
        line = nextLine(code, line);
    }
}

void wrapShadertoyCodeFull(std::string &code)
{
    adaptDirectives(code);
    code.insert(0, kShadertoyFullHead);
    code += kShadertoyFullTail;
}

} // namespace qv
