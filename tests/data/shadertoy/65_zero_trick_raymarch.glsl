// Raymarched rounded boxes; ZERO stops the compiler unrolling loops and AA
// follows the machine's performance, as many raymarchers on the site do
#if HW_PERFORMANCE==0
#define AA 1
#else
#define AA 2
#endif

#define ZERO (min(iFrame,0))

float sdRoundBox( in vec3 p, in vec3 b, in float r )
{
    vec3 q = abs(p) - b;
    return length(max(q,0.0)) + min(max(q.x,max(q.y,q.z)),0.0) - r;
}

float map( in vec3 pos )
{
    vec3 q = pos;
    q.xz = mod(q.xz + 1.0, 2.0) - 1.0;
    return min(pos.y + 0.5, sdRoundBox(q, vec3(0.3, 0.4, 0.3), 0.1));
}

vec3 calcNormal( in vec3 pos )
{
    vec3 n = vec3(0.0);
    for( int i=ZERO; i<4; i++ )
    {
        vec3 e = 0.5773*(2.0*vec3((((i+3)>>1)&1),((i>>1)&1),(i&1))-1.0);
        n += e*map(pos+0.0005*e);
    }
    return normalize(n);
}

mat3 setCamera( in vec3 ro, in vec3 ta, float cr )
{
    vec3 cw = normalize(ta-ro);
    vec3 cp = vec3(sin(cr), cos(cr),0.0);
    vec3 cu = normalize( cross(cw,cp) );
    vec3 cv = ( cross(cu,cw) );
    return mat3( cu, cv, cw );
}

void mainImage( out vec4 fragColor, in vec2 fragCoord )
{
    vec3 tot = vec3(0.0);
    for( int m=ZERO; m<AA; m++ )
    for( int n=ZERO; n<AA; n++ )
    {
        vec2 o = vec2(float(m),float(n)) / float(AA) - 0.5;
        vec2 p = (-iResolution.xy + 2.0*(fragCoord+o))/iResolution.y;
        vec3 ro = vec3( 4.0*cos(0.2*iTime), 2.0, 4.0*sin(0.2*iTime) );
        mat3 ca = setCamera( ro, vec3(0.0), 0.0 );
        vec3 rd = ca * normalize( vec3(p,2.0) );
        float t = 0.0;
        for( int i=ZERO; i<100; i++ )
        {
            float h = map(ro + rd*t);
            if( h<0.001 || t>20.0 ) break;
            t += h;
        }
        vec3 col = vec3(0.7, 0.8, 0.9) - 0.3*rd.y;
        if( t<20.0 )
        {
            vec3 pos = ro + t*rd;
            vec3 nor = calcNormal(pos);
            float dif = clamp( dot(nor, normalize(vec3(0.5,0.8,0.3))), 0.0, 1.0 );
            col = vec3(0.2,0.3,0.4)*(0.3+0.7*nor.y) + vec3(1.0,0.8,0.6)*dif;
            col = mix( col, vec3(0.7,0.8,0.9), 1.0-exp(-0.01*t*t) );
        }
        tot += col;
    }
    tot /= float(AA*AA);
    fragColor = vec4( pow(tot, vec3(0.4545)), 1.0 );
}
