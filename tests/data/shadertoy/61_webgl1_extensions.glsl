// Ported from a WebGL 1 shader: asks for the derivatives and LOD extensions
#extension GL_OES_standard_derivatives : enable
#extension GL_EXT_shader_texture_lod : enable

float grid(vec2 p)
{
    vec2 g = abs(fract(p - 0.5) - 0.5)/fwidth(p);
    return 1.0 - min(min(g.x, g.y), 1.0);
}

void mainImage( out vec4 fragColor, in vec2 fragCoord )
{
    vec2 uv = fragCoord/iResolution.xy;
    vec3 blurred = texture2DLodEXT(iChannel0, uv, 3.0).rgb;
    vec2 p = (fragCoord - 0.5*iResolution.xy)/iResolution.y*8.0;
    p += vec2(sin(iTime), cos(iTime));
    vec3 col = vec3(0.1, 0.12, 0.2) + blurred*0.3 + grid(p)*vec3(0.4, 0.9, 1.0);
    fragColor = vec4(col, 1.0);
}
