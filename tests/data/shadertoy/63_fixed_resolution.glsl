// Designed for one canvas size: hides the resolution input with a macro
#define iResolution vec3(800.0, 450.0, 1.0)
#define SCALE (iResolution.y/450.0)

void mainImage( out vec4 fragColor, in vec2 fragCoord )
{
    vec2 p = fragCoord*8.0;
    vec2 c = mod(p, 100.0*SCALE) - 50.0*SCALE;
    float ring = smoothstep(2.0, 0.0, abs(length(c) - 30.0*SCALE - 5.0*sin(iTime*3.0)));
    fragColor = vec4(vec3(0.1, 0.1, 0.15) + ring*vec3(0.9, 0.5, 0.9), 1.0);
}
