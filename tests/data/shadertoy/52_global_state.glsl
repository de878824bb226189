// Globals filled in mainImage and read by helpers
vec2 gRes;
float gT;

vec3 shade(vec2 p)
{
    float r = length(p - 0.2*vec2(sin(gT), cos(gT)));
    return vec3(0.5 + 0.5*cos(r*20.0 - gT*3.0), r, 1.0 - r);
}

void mainImage( out vec4 fragColor, in vec2 fragCoord )
{
    gRes = iResolution.xy;
    gT = iTime;
    vec2 p = (fragCoord - 0.5*gRes)/gRes.y;
    fragColor = vec4(shade(p), 1.0);
}
