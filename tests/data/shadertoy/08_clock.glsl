// A clock face that reads the date input
#define PI 3.14159265

float hand(vec2 p, float ang, float len, float w)
{
    vec2 dir = vec2(sin(ang), cos(ang));
    float h = clamp(dot(p, dir), 0.0, len);
    return smoothstep(w, w*0.5, length(p - dir*h));
}

void mainImage( out vec4 fragColor, in vec2 fragCoord )
{
    vec2 p = (2.0*fragCoord - iResolution.xy)/iResolution.y;
    float secs = iDate.w;
    float s = mod(secs, 60.0), mi = mod(secs/60.0, 60.0), hr = mod(secs/3600.0, 12.0);
    vec3 col = vec3(0.95) * smoothstep(0.9, 0.88, length(p));
    col -= hand(p, 2.0*PI*hr/12.0, 0.45, 0.05);
    col -= hand(p, 2.0*PI*mi/60.0, 0.7, 0.03);
    col = mix(col, vec3(0.8,0.1,0.1), hand(p, 2.0*PI*s/60.0, 0.8, 0.015));
    fragColor = vec4(col, 1.0);
}
