// A tunnel whose checkers swap on every other frame, counted by the integer
// iFrame; written with iGlobalTime, the website's old name of iTime.
void mainImage( out vec4 fragColor, in vec2 fragCoord )
{
    vec2 p = (2.0*fragCoord - iResolution.xy)/iResolution.y;
    float r = length(p), a = atan(p.y, p.x);
    vec2 uv = vec2(0.4/r + 0.5*iGlobalTime, a*4.0/3.1415927);
    ivec2 cell = ivec2(floor(uv*vec2(4.0, 1.0)));
    int parity = (cell.x + cell.y + iFrame/12) % 2;
    vec3 col = parity == 0 ? vec3(0.9, 0.75, 0.3) : vec3(0.15, 0.1, 0.3);
    fragColor = vec4(col*smoothstep(0.0, 0.6, r), 1.0);
}
