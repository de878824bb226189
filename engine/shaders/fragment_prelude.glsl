
#define host 0
#define gl_Position uv2xy(uv)
#define gl_FragCoord uv2xy(uv)
#define gl_FragColor outColor
#define INPUT_LAYER_INDEX -1
#define OUTPUT_LAYER_INDEX -2
out vec4 outColor;
in vec2 uv;
uniform float slider[10];
uniform float angle[10];
uniform bool checkbox[10];
uniform vec2 point[10];
uniform vec3 point3d[10];
uniform vec4 color[10];
uniform sampler2D layer[10];
uniform vec2 layerResolution[10];
uniform sampler2D inLayer;
uniform sampler2D outLayer;
uniform float time;
uniform float fps;
uniform float width;
uniform float height;
uniform vec2 origin;
uniform vec2 resolution;


vec4 getColor(int layerId,vec2 coord)
{
if(layerId==INPUT_LAYER_INDEX) return texture(inLayer,coord);
if(layerId==OUTPUT_LAYER_INDEX) return texture(outLayer,coord);
if(layerId==0) return texture(layer[0],coord);
if(layerId==1) return texture(layer[1],coord);
if(layerId==2) return texture(layer[2],coord);
if(layerId==3) return texture(layer[3],coord);
if(layerId==4) return texture(layer[4],coord);
if(layerId==5) return texture(layer[5],coord);
if(layerId==6) return texture(layer[6],coord);
if(layerId==7) return texture(layer[7],coord);
if(layerId==8) return texture(layer[8],coord);
if(layerId==9) return texture(layer[9],coord);
return vec4(0.0);
}

vec4 getColor(vec2 coord)
{
return texture(inLayer,coord);
}

vec2 uv2xy(vec2 myuv){
return myuv*resolution;
}

vec2 xy2uv(vec2 myxy){
return myxy/resolution;
}

