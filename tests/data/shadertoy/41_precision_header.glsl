// Carries the ES precision statement some people paste in
#ifdef GL_ES
precision highp float;
#endif
precision highp int;

void mainImage( out vec4 fragColor, in vec2 fragCoord )
{
    vec2 uv = fragCoord/iResolution.xy - 0.5;
    float v = smoothstep(0.3, 0.29, length(uv*vec2(iResolution.x/iResolution.y, 1.0)));
    fragColor = vec4(v*uv.x + 0.5, v, 0.5 + 0.5*sin(iTime), 1.0);
}
