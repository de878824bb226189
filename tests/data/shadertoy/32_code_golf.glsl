// Tiny, in the golfing style of the site
void mainImage(out vec4 O, vec2 U)
{
    vec2 R = iResolution.xy, p = (U+U-R)/R.y;
    O = .5+.5*cos(iTime+length(p)*6.+vec4(0,2,4,0));
    O.a = 1.;
}
