// Sierpinski carpet from base-3 digits of the pixel position
void mainImage( out vec4 fragColor, in vec2 fragCoord )
{
    vec2 uv = fragCoord/iResolution.y;
    ivec2 q = ivec2(uv*243.0 + vec2(iTime*20.0, 0.0));
    float hole = 0.0;
    for (int i = 0; i < 5; i++) {
        if (q.x % 3 == 1 && q.y % 3 == 1) hole = 1.0;
        q /= 3;
    }
    vec3 col = mix(vec3(0.9, 0.85, 0.7), vec3(0.15, 0.1, 0.2), hole);
    fragColor = vec4(col, 1.0);
}
