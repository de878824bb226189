#extension GL_OES_standard_derivatives : enable
// Outline of a wobbly blob, antialiased with screen-space derivatives
void mainImage( out vec4 fragColor, in vec2 fragCoord )
{
    vec2 p = (2.0*fragCoord - iResolution.xy)/iResolution.y;
    float a = atan(p.y, p.x);
    float d = length(p) - 0.6 - 0.1*sin(5.0*a + iGlobalTime*2.0);
    float w = fwidth(d);
    float edge = 1.0 - smoothstep(0.0, 1.5*w, abs(d) - 0.01);
    vec3 col = mix(vec3(0.95, 0.9, 0.8), vec3(0.2, 0.4, 0.9), step(d, 0.0));
    fragColor = vec4(mix(col, vec3(0.0), edge), 1.0);
}
