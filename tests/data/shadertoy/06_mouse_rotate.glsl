// Spins by itself until the mouse is pressed
mat2 rot(float a) { float c = cos(a), s = sin(a); return mat2(c, -s, s, c); }

void mainImage( out vec4 fragColor, in vec2 fragCoord )
{
    vec2 uv = (fragCoord - 0.5*iResolution.xy)/iResolution.y;
    vec4 m = iMouse;
    float ang = iTime*0.5;
    if (m.z > 0.0) ang = m.x/iResolution.x*6.2831;
    uv *= rot(ang);
    vec2 g = abs(fract(uv*4.0) - 0.5);
    float line = smoothstep(0.05, 0.0, min(g.x, g.y));
    fragColor = vec4(vec3(line) + vec3(0.1, 0.15, 0.3), 1.0);
}
