// Reads gl_FragCoord instead of the argument, as some ports do
void mainImage( out vec4 fragColor, in vec2 fragCoord )
{
    vec2 uv = gl_FragCoord.xy/iResolution.xy;
    float d = abs(uv.y - 0.5 - 0.2*sin(uv.x*12.0 + iTime));
    fragColor = vec4(vec3(0.01/d)*vec3(0.4, 0.8, 1.0), 1.0);
}
