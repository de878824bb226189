// Keeps the whole resolution around, aspect in z
void mainImage( out vec4 fragColor, in vec2 fragCoord )
{
    vec3 R = iResolution;
    vec2 p = (fragCoord - 0.5*R.xy) / R.y * R.z;
    float a = atan(p.y, p.x);
    float s = 0.5 + 0.5*sin(a*6.0 + iTime);
    fragColor = vec4(s, s*length(p), 1.0 - s, 1.0);
}
