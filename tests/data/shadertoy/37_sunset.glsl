// Sky gradient with a sun, sea below
void mainImage( out vec4 fragColor, in vec2 fragCoord )
{
    vec2 uv = fragCoord/iResolution.xy;
    vec2 p = (fragCoord - 0.5*iResolution.xy)/iResolution.y;
    float horizon = 0.0;
    vec3 sky = mix(vec3(1.0, 0.5, 0.2), vec3(0.2, 0.1, 0.4), uv.y);
    vec2 sunPos = vec2(0.0, 0.1 + 0.05*sin(iTime*0.3));
    float sun = smoothstep(0.12, 0.1, length(p - sunPos));
    vec3 col = sky + sun*vec3(1.0, 0.9, 0.5);
    if (p.y < horizon) {
        float w = sin(p.x*40.0/(0.1 - p.y) + iTime*2.0)*0.5 + 0.5;
        col = mix(vec3(0.05, 0.1, 0.2), vec3(1.0, 0.6, 0.3), w*smoothstep(0.3, 0.0, abs(p.x))*0.6);
    }
    fragColor = vec4(col, 1.0);
}
