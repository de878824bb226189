// Worley noise: distance to the second nearest point minus the nearest
vec2 rand2(vec2 p) { return fract(sin(vec2(dot(p, vec2(127.1, 311.7)), dot(p, vec2(269.5, 183.3))))*43758.5453); }

void mainImage( out vec4 fragColor, in vec2 fragCoord )
{
    vec2 p = fragCoord/iResolution.y*6.0;
    vec2 i = floor(p), f = fract(p);
    float d1 = 8.0, d2 = 8.0;
    for (int y = -1; y <= 1; y++)
    for (int x = -1; x <= 1; x++) {
        vec2 g = vec2(x, y);
        vec2 o = 0.5 + 0.45*sin(iTime + 6.2831*rand2(i + g));
        float d = length(g + o - f);
        if (d < d1) { d2 = d1; d1 = d; } else if (d < d2) d2 = d;
    }
    float e = smoothstep(0.0, 0.08, d2 - d1);
    fragColor = vec4(vec3(e)*vec3(0.9, 0.6, 0.3) + vec3(0.1, 0.0, 0.05), 1.0);
}
