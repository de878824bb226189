vec2 hash2(vec2 p)
{
    p = vec2(dot(p, vec2(127.1, 311.7)), dot(p, vec2(269.5, 183.3)));
    return fract(sin(p)*43758.5453);
}

void mainImage( out vec4 fragColor, in vec2 fragCoord )
{
    vec2 x = fragCoord/iResolution.x*8.0;
    vec2 n = floor(x), f = fract(x);
    float md = 8.0;
    vec2 mr;
    for (int j = -1; j <= 1; j++)
    for (int i = -1; i <= 1; i++) {
        vec2 g = vec2(float(i), float(j));
        vec2 o = hash2(n + g);
        o = 0.5 + 0.5*sin(iTime + 6.2831*o);
        vec2 r = g + o - f;
        float d = dot(r, r);
        if (d < md) { md = d; mr = r; }
    }
    vec3 col = vec3(sqrt(md));
    col *= 0.5 + 0.5*vec3(hash2(n + mr + f), 0.7);
    fragColor = vec4(col, 1.0);
}
