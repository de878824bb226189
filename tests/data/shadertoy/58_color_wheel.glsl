vec3 hsv2rgb(vec3 c)
{
    vec3 rgb = clamp(abs(mod(c.x*6.0 + vec3(0.0, 4.0, 2.0), 6.0) - 3.0) - 1.0, 0.0, 1.0);
    return c.z*mix(vec3(1.0), rgb, c.y);
}

void mainImage( out vec4 fragColor, in vec2 fragCoord )
{
    vec2 p = (fragCoord - 0.5*iResolution.xy)/iResolution.y;
    float h = atan(p.y, p.x)/6.2831 + 0.5 + iTime*0.05;
    float s = clamp(length(p)*2.2, 0.0, 1.0);
    fragColor = vec4(hsv2rgb(vec3(fract(h), s, 1.0)), 1.0);
}
