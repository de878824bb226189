// Curtains of light drifting over a night sky; render a range of frames to
// see it move.
float hash(vec2 p)
{
    return fract(sin(dot(p, vec2(127.1, 311.7))) * 43758.5453);
}

float noise(vec2 p)
{
    vec2 i = floor(p), f = fract(p);
    vec2 u = f * f * (3.0 - 2.0 * f);
    return mix(mix(hash(i), hash(i + vec2(1.0, 0.0)), u.x),
               mix(hash(i + vec2(0.0, 1.0)), hash(i + vec2(1.0, 1.0)), u.x), u.y);
}

float curtain(vec2 p, float t, float seed)
{
    float wave = noise(vec2(p.x * 3.0 + seed, t * 0.3)) * 0.35;
    float band = exp(-pow((p.y - 0.55 - wave) * 6.0, 2.0));
    float rays = 0.5 + 0.5 * noise(vec2(p.x * 40.0 + seed, t));
    return band * rays * smoothstep(0.2, 0.6, p.y);
}

void mainImage(out vec4 fragColor, in vec2 fragCoord)
{
    vec2 p = fragCoord / iResolution.xy;
    p.x *= iResolution.x / iResolution.y;
    float t = iTime;
    vec3 sky = mix(vec3(0.01, 0.02, 0.06), vec3(0.05, 0.02, 0.12), p.y);
    vec3 light = curtain(p, t, 0.0) * vec3(0.1, 1.0, 0.5)
               + curtain(p, t * 1.3, 7.0) * vec3(0.5, 0.2, 1.0) * 0.7;
    float stars = step(0.998, hash(floor(fragCoord))) * smoothstep(0.3, 1.0, p.y);
    fragColor = vec4(sky + light + stars, 1.0);
}
