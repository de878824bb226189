// An analogue clock that reads iDate. In Quorvel iDate is 1 January 2000
// plus the frame's time, so the hands show the composition's time:
// render --time 3725 to see 1:02:05.
#define PI 3.14159265

float segment(vec2 p, float angle, float len, float width)
{
    vec2 dir = vec2(sin(angle), cos(angle));
    float h = clamp(dot(p, dir), 0.0, len);
    return smoothstep(width, width*0.6, length(p - dir*h));
}

void mainImage( out vec4 fragColor, in vec2 fragCoord )
{
    vec2 p = (2.0*fragCoord - iResolution.xy)/iResolution.y;
    float secs = iDate.w;
    float face = smoothstep(0.92, 0.9, length(p));
    vec3 col = mix(vec3(0.12, 0.14, 0.18), vec3(0.96, 0.94, 0.88), face);
    float a = atan(p.x, p.y);
    float tick = smoothstep(0.03, 0.0, abs(fract(a/(2.0*PI)*12.0 + 0.5) - 0.5)/12.0*2.0*PI*length(p));
    col = mix(col, vec3(0.1), tick*step(0.78, length(p))*face);
    col = mix(col, vec3(0.1), segment(p, 2.0*PI*mod(secs/3600.0, 12.0)/12.0, 0.45, 0.05));
    col = mix(col, vec3(0.1), segment(p, 2.0*PI*mod(secs/60.0, 60.0)/60.0, 0.7, 0.03));
    col = mix(col, vec3(0.85, 0.1, 0.1), segment(p, 2.0*PI*floor(mod(secs, 60.0))/60.0, 0.8, 0.012));
    fragColor = vec4(col, 1.0);
}
