// Distance field of a circle, with iso lines
float sdCircle(vec2 p, float r) { return length(p) - r; }

void mainImage(out vec4 O, in vec2 U)
{
    vec2 p = (2.0*U - iResolution.xy)/iResolution.y;
    float d = sdCircle(p, 0.5 + 0.1*sin(iTime));
    vec3 col = (d > 0.0) ? vec3(0.9,0.6,0.3) : vec3(0.65,0.85,1.0);
    col *= 1.0 - exp(-6.0*abs(d));
    col *= 0.8 + 0.2*cos(150.0*d);
    col = mix(col, vec3(1.0), 1.0 - smoothstep(0.0, 0.01, abs(d)));
    O = vec4(col, 1.0);
}
