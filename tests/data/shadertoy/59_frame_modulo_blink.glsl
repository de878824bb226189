// Blinks every few frames, counted as an integer
const int PERIOD = 12;

void mainImage( out vec4 fragColor, in vec2 fragCoord )
{
    vec2 p = (fragCoord - 0.5*iResolution.xy)/iResolution.y;
    bool on = iFrame % PERIOD < PERIOD/2;
    float disc = smoothstep(0.31, 0.3, length(p));
    vec3 col = on ? vec3(1.0, 0.2, 0.1) : vec3(0.3, 0.05, 0.02);
    fragColor = vec4(mix(vec3(0.05), col, disc) + 0.1*vec3(p.x), 1.0);
}
