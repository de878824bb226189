// Fits channel 0 into the frame by its resolution
void mainImage( out vec4 fragColor, in vec2 fragCoord )
{
    vec2 uv = fragCoord/iResolution.xy;
    vec3 res = iChannelResolution[0];
    float aspect = res.z > 0.0 && res.y > 0.0 ? res.x/res.y : 1.0;
    vec3 tex = texture(iChannel0, uv*vec2(aspect, 1.0)).rgb;
    vec3 bg = vec3(uv.y*0.3, 0.1, 0.3 + 0.3*sin(iTime));
    fragColor = vec4(bg + tex, 1.0);
}
