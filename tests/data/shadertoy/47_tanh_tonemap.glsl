// Glow accumulated then tone mapped with tanh
void mainImage( out vec4 O, in vec2 F )
{
    vec2 p = (F + F - iResolution.xy)/iResolution.y;
    vec3 c = vec3(0.0);
    for (float i = 1.0; i < 8.0; i++) {
        vec2 q = p + 0.4*vec2(sin(iTime*0.3*i + i), cos(iTime*0.2*i));
        c += vec3(0.02*i, 0.015, 0.03/i)/abs(length(q) - 0.1*i);
    }
    O = vec4(tanh(c*0.3), 1.0);
}
