// Polar tunnel without textures
void mainImage( out vec4 fragColor, in vec2 fragCoord )
{
    vec2 p = (2.0*fragCoord.xy - iResolution.xy)/iResolution.y;
    float a = atan(p.y, p.x);
    float r = length(p);
    vec2 uv = vec2(0.3/r + 0.2*iTime, a/3.1415927);
    float f = step(0.5, fract(uv.x*4.0)) * step(0.5, fract(uv.y*8.0)) + step(fract(uv.x*4.0), 0.5) * step(fract(uv.y*8.0), 0.5);
    vec3 col = mix(vec3(0.2, 0.1, 0.4), vec3(0.9, 0.8, 0.3), f) * r;
    fragColor = vec4(col, 1.0);
}
