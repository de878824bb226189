// Helpers with inout and out parameters
void rotate(inout vec2 p, float a) { p = mat2(cos(a), -sin(a), sin(a), cos(a))*p; }
void polar(vec2 p, out float r, out float a) { r = length(p); a = atan(p.y, p.x); }

void mainImage( out vec4 fragColor, in vec2 fragCoord )
{
    vec2 p = (fragCoord - 0.5*iResolution.xy)/iResolution.y;
    rotate(p, iTime*0.4);
    float r, a;
    polar(p, r, a);
    float petals = 0.5 + 0.5*cos(a*5.0);
    vec3 col = mix(vec3(0.1, 0.05, 0.15), vec3(1.0, 0.4, 0.7), smoothstep(petals*0.4 + 0.02, petals*0.4, r));
    fragColor = vec4(col, 1.0);
}
