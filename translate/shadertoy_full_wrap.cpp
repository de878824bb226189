#include "translate/shadertoy_full_wrap.h"

#include <cctype>

namespace qv {

// Every input is made from uniforms the engine's prelude already declares,
// so the engine sets nothing new. Names of our own carry the prefix
// "qv_st_", which neither the website nor the edit-time conversion writes.
//
// iResolution, iMouse, iFrame, iDate: the website's vec3, vec4, int, vec4.
// iMouse.zw is the click position, positive while the button is held:
// "Checkbox 9" holds the button down at point 0; unticked, zw is -point 0
// (released). iDate is 1 January 2000 plus the frame's time, so a repeated
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
    "#define iMouse vec4(point[0],checkbox[9]?point[0]:-point[0])\n"
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
    "#line 1\n";
const char kShadertoyFullTail[] = "\nvoid main(){\nmainImage(outColor,uv2xy(uv));\n}\n";

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// The position of "extension" when the line starting at `at` is an
// #extension directive; npos otherwise.
size_t extensionDirective(const std::string &code, size_t at)
{
    while (at < code.size() && isBlank(code[at]))
        ++at;
    if (at >= code.size() || code[at] != '#')
        return std::string::npos;
    size_t word = at + 1;
    while (word < code.size() && isBlank(code[word]))
        ++word;
    size_t end = word + 9;
    bool wordEnds = end >= code.size() || !(std::isalnum(static_cast<unsigned char>(code[end])) || code[end] == '_');
    return code.compare(word, 9, "extension") == 0 && wordEnds ? at : std::string::npos;
}

} // namespace

// Turns each #extension line into a comment. Old shaders ask for WebGL 1
// extensions (derivatives, texture LOD) whose functions GLSL 3.30 has in
// core; and after the engine's prelude the directive is refused anyway.
void commentOutExtensions(std::string &code)
{
    for (size_t line = 0; line < code.size();) {
        size_t hash = extensionDirective(code, line);
        if (hash != std::string::npos)
            code.replace(hash, 1, "//");
        size_t next = code.find('\n', line);
        line = next == std::string::npos ? code.size() : next + 1;
    }
}

void wrapShadertoyCodeFull(std::string &code)
{
    commentOutExtensions(code);
    code.insert(0, kShadertoyFullHead);
    code += kShadertoyFullTail;
}

} // namespace qv
