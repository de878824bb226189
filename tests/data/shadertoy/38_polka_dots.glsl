void mainImage( out vec4 fragColor, in vec2 fragCoord )
{
    vec2 uv = fragCoord/iResolution.y*10.0;
    uv.x += mod(floor(uv.y), 2.0)*0.5;
    vec2 gv = fract(uv) - 0.5;
    float r = 0.3 + 0.1*sin(iTime + floor(uv.x)*0.7);
    float d = smoothstep(r, r - 0.03, length(gv));
    fragColor = vec4(mix(vec3(0.95, 0.3, 0.4), vec3(1.0, 0.95, 0.9), d), 1.0);
}
