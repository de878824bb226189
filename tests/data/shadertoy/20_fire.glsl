float hash(vec2 p) { return fract(sin(dot(p, vec2(41.0, 289.0)))*45758.5453); }

float noise(vec2 p)
{
    vec2 i = floor(p), f = fract(p);
    vec2 u = f*f*(3.0 - 2.0*f);
    return mix(mix(hash(i), hash(i + vec2(1, 0)), u.x), mix(hash(i + vec2(0, 1)), hash(i + vec2(1, 1)), u.x), u.y);
}

void mainImage( out vec4 fragColor, in vec2 fragCoord )
{
    vec2 uv = fragCoord/iResolution.xy;
    vec2 q = uv*vec2(4.0, 3.0) - vec2(0.0, iTime*1.5);
    float n = 0.0, a = 0.5;
    for (int i = 0; i < 4; i++) { n += a*noise(q); q *= 2.1; a *= 0.5; }
    float flame = clamp(n*1.6 - uv.y*1.2, 0.0, 1.0);
    vec3 col = vec3(1.5*flame, 1.5*flame*flame*flame, flame*flame*flame*flame*flame*flame);
    fragColor = vec4(col, 1.0);
}
