// Point lights kept in a struct array
struct Light { vec2 pos; vec3 col; };

void mainImage( out vec4 fragColor, in vec2 fragCoord )
{
    vec2 p = (fragCoord - 0.5*iResolution.xy)/iResolution.y;
    Light lights[3];
    lights[0] = Light(vec2(cos(iTime), sin(iTime))*0.3, vec3(1.0, 0.3, 0.2));
    lights[1] = Light(vec2(cos(iTime*1.3 + 2.0), sin(iTime*0.7))*0.35, vec3(0.2, 1.0, 0.4));
    lights[2] = Light(vec2(sin(iTime*0.5), cos(iTime*0.9 + 1.0))*0.25, vec3(0.3, 0.4, 1.0));
    vec3 col = vec3(0.0);
    for (int i = 0; i < 3; i++)
        col += lights[i].col * 0.01/dot(p - lights[i].pos, p - lights[i].pos);
    fragColor = vec4(col/(1.0 + col), 1.0);
}
