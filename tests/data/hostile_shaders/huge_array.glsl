float a[2000000000];
void main(){ a[1] = uv.x; outColor = vec4(a[1]); }
