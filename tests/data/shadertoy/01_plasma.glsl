// Classic plasma: sums of sines
void mainImage( out vec4 fragColor, in vec2 fragCoord )
{
    vec2 uv = fragCoord/iResolution.xy;
    float t = iTime*0.7;
    float v = sin(uv.x*10.0+t);
    v += sin((uv.y*10.0+t)*0.5);
    v += sin((uv.x*10.0+uv.y*10.0+t)*0.5);
    vec2 c = uv*10.0 + vec2(sin(t/3.0), cos(t/2.0))*5.0;
    v += sin(sqrt(c.x*c.x+c.y*c.y+1.0)+t);
    v *= 0.5;
    vec3 col = vec3(sin(v*3.14159), sin(v*3.14159+2.094), sin(v*3.14159+4.188))*0.5+0.5;
    fragColor = vec4(col,1.0);
}
