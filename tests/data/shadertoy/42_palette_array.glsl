// Palette from a constant array
const vec3 pal[4] = vec3[4](vec3(0.1, 0.1, 0.3), vec3(0.8, 0.2, 0.3), vec3(1.0, 0.7, 0.2), vec3(0.95, 0.95, 0.8));

void mainImage( out vec4 fragColor, in vec2 fragCoord )
{
    vec2 uv = fragCoord/iResolution.xy;
    float x = fract(uv.x + 0.1*iTime)*3.0;
    int i = int(floor(x));
    vec3 col = mix(pal[i], pal[i + 1], smoothstep(0.0, 1.0, fract(x)));
    col *= 0.7 + 0.3*uv.y;
    fragColor = vec4(col, 1.0);
}
