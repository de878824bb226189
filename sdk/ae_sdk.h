// The host's effect interface as the plug-in and the simulator use it: the
// names, values and layouts of the After Effects SDK (Windows x64 branch),
// declared here so the project builds without the SDK. A Windows build that
// has the real SDK defines QV_USE_REAL_AE_SDK and gets the host's own headers.
#pragma once

#ifdef QV_USE_REAL_AE_SDK
#include "AE_Effect.h"
#include "AE_EffectCB.h"
#include "AE_EffectCBSuites.h"
#include "AE_EffectSuites.h"
#include "AE_GeneralPlug.h"
#include "AE_Macros.h"
#include "SPBasic.h"
#else

#include <cstddef>
#include <cstdint>

extern "C" {

/* ---- scalar types ---- */
typedef int32_t A_long;
typedef uint32_t A_u_long;
typedef short A_short;
typedef unsigned short A_u_short;
typedef char A_char;
typedef unsigned char A_u_char;
typedef unsigned char A_Boolean;
typedef double A_FpLong;
typedef float A_FpShort;
typedef A_long A_Err;
typedef void *A_Handle;
typedef uint64_t A_u_longlong;
typedef A_u_longlong A_HandleSize;
typedef A_u_short A_UTF16Char;
typedef struct { A_long value; A_u_long scale; } A_Time;
typedef struct { A_long num; A_u_long den; } A_Ratio;
typedef struct { A_FpLong mat[4][4]; } A_Matrix4;
typedef struct _Up_OpaqueMem **AEGP_MemHandle;

typedef A_long PF_Fixed;
typedef A_u_long PF_UFixed;
typedef A_char PF_Boolean;
typedef void **PF_Handle;
typedef struct PF_ProgressInfo *PF_ProgPtr;
typedef A_long PF_ParamValue;
typedef A_long PF_ParamIndex;
typedef A_FpLong PF_FpLong;
typedef A_FpShort PF_FpShort;
typedef struct { A_long h, v; } PF_Point;
typedef struct { A_long left, top, right, bottom; } PF_LRect;
typedef PF_LRect PF_Rect;
typedef PF_LRect PF_UnionableRect;
typedef struct { A_long num; A_u_long den; } PF_RationalScale;
typedef struct { A_short major; A_short minor; } PF_SpecVersion;
typedef PF_Handle PF_ArbitraryH;
typedef A_long PF_Err;
typedef A_long PF_Cmd;
typedef int32_t SPErr;
typedef int32_t SPBoolean;

/* ---- commands ---- */
enum {
    PF_Cmd_ABOUT = 0,
    PF_Cmd_GLOBAL_SETUP,
    PF_Cmd_UNUSED_0,
    PF_Cmd_GLOBAL_SETDOWN,
    PF_Cmd_PARAMS_SETUP,
    PF_Cmd_SEQUENCE_SETUP,
    PF_Cmd_SEQUENCE_RESETUP,
    PF_Cmd_SEQUENCE_FLATTEN,
    PF_Cmd_SEQUENCE_SETDOWN,
    PF_Cmd_DO_DIALOG,
    PF_Cmd_FRAME_SETUP,
    PF_Cmd_RENDER,
    PF_Cmd_FRAME_SETDOWN,
    PF_Cmd_USER_CHANGED_PARAM,
    PF_Cmd_UPDATE_PARAMS_UI,
    PF_Cmd_EVENT,
    PF_Cmd_GET_EXTERNAL_DEPENDENCIES,
    PF_Cmd_COMPLETELY_GENERAL,
    PF_Cmd_QUERY_DYNAMIC_FLAGS,
    PF_Cmd_AUDIO_RENDER,
    PF_Cmd_AUDIO_SETUP,
    PF_Cmd_AUDIO_SETDOWN,
    PF_Cmd_ARBITRARY_CALLBACK,
    PF_Cmd_SMART_PRE_RENDER,
    PF_Cmd_SMART_RENDER,
    PF_Cmd_RESERVED1,
    PF_Cmd_RESERVED2,
    PF_Cmd_RESERVED3,
    PF_Cmd_GET_FLATTENED_SEQUENCE_DATA,
    PF_Cmd_TRANSLATE_PARAMS_TO_PREFS,
    PF_Cmd_RESERVED4,
    PF_Cmd_SMART_RENDER_GPU,
    PF_Cmd_GPU_DEVICE_SETUP,
    PF_Cmd_GPU_DEVICE_SETDOWN,
    PF_Cmd_NUM_CMDS
};

/* ---- errors ---- */
enum {
    PF_Err_NONE = 0,
    PF_Err_OUT_OF_MEMORY = 4,
    PF_Err_INTERNAL_STRUCT_DAMAGED = 512,
    PF_Err_INVALID_INDEX,
    PF_Err_UNRECOGNIZED_PARAM_TYPE,
    PF_Err_INVALID_CALLBACK,
    PF_Err_BAD_CALLBACK_PARAM,
    PF_Interrupt_CANCEL,
    PF_Err_CANNOT_PARSE_KEYFRAME_TEXT
};
enum {
    A_Err_NONE = 0,
    A_Err_GENERIC,
    A_Err_STRUCT,
    A_Err_PARAMETER,
    A_Err_ALLOC,
    A_Err_WRONG_THREAD,
    A_Err_CONST_PROJECT_MODIFICATION,
    A_Err_MISSING_SUITE = 13
};
enum {
    kSPNoError = 0,
    kSPUnimplementedError = 0x21494D50,
    kSPBadParameterError = 0x5061726D,
    kSPSuiteNotFoundError = 0x53214664,
    kSPOutOfMemoryError = (int32_t)0xFFFFFF6C
};

/* ---- out flags ---- */
enum {
    PF_OutFlag_NONE = 0,
    PF_OutFlag_KEEP_RESOURCE_OPEN = 1L << 0,
    PF_OutFlag_WIDE_TIME_INPUT = 1L << 1,
    PF_OutFlag_NON_PARAM_VARY = 1L << 2,
    PF_OutFlag_RESERVED6 = 1L << 3,
    PF_OutFlag_SEQUENCE_DATA_NEEDS_FLATTENING = 1L << 4,
    PF_OutFlag_I_DO_DIALOG = 1L << 5,
    PF_OutFlag_USE_OUTPUT_EXTENT = 1L << 6,
    PF_OutFlag_SEND_DO_DIALOG = 1L << 7,
    PF_OutFlag_DISPLAY_ERROR_MESSAGE = 1L << 8,
    PF_OutFlag_I_EXPAND_BUFFER = 1L << 9,
    PF_OutFlag_PIX_INDEPENDENT = 1L << 10,
    PF_OutFlag_I_WRITE_INPUT_BUFFER = 1L << 11,
    PF_OutFlag_I_SHRINK_BUFFER = 1L << 12,
    PF_OutFlag_WORKS_IN_PLACE = 1L << 13,
    PF_OutFlag_CUSTOM_UI = 1L << 15,
    PF_OutFlag_REFRESH_UI = 1L << 17,
    PF_OutFlag_NOP_RENDER = 1L << 18,
    PF_OutFlag_I_USE_SHUTTER_ANGLE = 1L << 19,
    PF_OutFlag_I_USE_AUDIO = 1L << 20,
    PF_OutFlag_I_AM_OBSOLETE = 1L << 21,
    PF_OutFlag_FORCE_RERENDER = 1L << 22,
    PF_OutFlag_PiPL_OVERRIDES_OUTDATA_OUTFLAGS = 1L << 23,
    PF_OutFlag_I_HAVE_EXTERNAL_DEPENDENCIES = 1L << 24,
    PF_OutFlag_DEEP_COLOR_AWARE = 1L << 25,
    PF_OutFlag_SEND_UPDATE_PARAMS_UI = 1L << 26
};
typedef A_long PF_OutFlags;
enum {
    PF_OutFlag2_NONE = 0,
    PF_OutFlag2_SUPPORTS_QUERY_DYNAMIC_FLAGS = 1L << 0,
    PF_OutFlag2_I_USE_3D_CAMERA = 1L << 1,
    PF_OutFlag2_I_USE_3D_LIGHTS = 1L << 2,
    PF_OutFlag2_PARAM_GROUP_START_COLLAPSED_FLAG = 1L << 3,
    PF_OutFlag2_I_AM_THREADSAFE = 1L << 4,
    PF_OutFlag2_SUPPORTS_SMART_RENDER = 1L << 10,
    PF_OutFlag2_FLOAT_COLOR_AWARE = 1L << 12,
    PF_OutFlag2_AE13_5_THREADSAFE = 1L << 22,
    PF_OutFlag2_SUPPORTS_GET_FLATTENED_SEQUENCE_DATA = 1L << 23,
    PF_OutFlag2_SUPPORTS_THREADED_RENDERING = 1L << 27
};
typedef A_long PF_OutFlags2;

/* ---- version packing ---- */
enum { PF_Stage_DEVELOP = 0, PF_Stage_ALPHA, PF_Stage_BETA, PF_Stage_RELEASE };
#define PF_VERSION(VERS, SUBVERS, BUGVERS, STAGE, BUILD)                       \
    ((((((A_u_long)(VERS)) >> 3) & 0xF) << 26) | ((((A_u_long)(VERS)) & 0x7) << 19) | \
     ((((A_u_long)(SUBVERS)) & 0xF) << 15) | ((((A_u_long)(BUGVERS)) & 0xF) << 11) | \
     ((((A_u_long)(STAGE)) & 0x3) << 9) | (((A_u_long)(BUILD)) & 0x1FF))

/* ---- pixels and worlds ---- */
typedef struct { A_u_char alpha, red, green, blue; } PF_Pixel;
typedef PF_Pixel PF_Pixel8;
typedef PF_Pixel PF_UnionablePixel;
typedef struct { A_u_short alpha, red, green, blue; } PF_Pixel16;
typedef struct { PF_FpShort alpha, red, green, blue; } PF_PixelFloat;
typedef PF_PixelFloat PF_Pixel32;
typedef struct _PF_PixelOpaque *PF_PixelPtr;
enum { PF_MAX_CHAN8 = 255, PF_HALF_CHAN8 = 128, PF_MAX_CHAN16 = 32768, PF_HALF_CHAN16 = 16384 };

typedef A_long PF_WorldFlags;
enum { PF_WorldFlag_DEEP = 1L << 0, PF_WorldFlag_WRITEABLE = 1L << 1 };

typedef struct PF_LayerDef {
    void *reserved0;
    void *reserved1;
    PF_WorldFlags world_flags;
    PF_PixelPtr data;
    A_long rowbytes;
    A_long width;
    A_long height;
    PF_UnionableRect extent_hint;
    void *platform_ref;
    A_long reserved_long1;
    void *reserved_long4;
    PF_RationalScale pix_aspect_ratio;
    void *reserved_long2;
    A_long origin_x;
    A_long origin_y;
    A_long reserved_long3;
    A_long dephault;
} PF_LayerDef;
typedef PF_LayerDef PF_EffectWorld;
enum { PF_LayerDefault_MYSELF = -1, PF_LayerDefault_NONE = 0 };

/* ---- parameters ---- */
typedef A_long PF_ParamType;
enum {
    PF_Param_RESERVED = -1,
    PF_Param_LAYER = 0,
    PF_Param_SLIDER,
    PF_Param_FIX_SLIDER,
    PF_Param_ANGLE,
    PF_Param_CHECKBOX,
    PF_Param_COLOR,
    PF_Param_POINT,
    PF_Param_POPUP,
    PF_Param_CUSTOM,
    PF_Param_NO_DATA,
    PF_Param_FLOAT_SLIDER,
    PF_Param_ARBITRARY_DATA,
    PF_Param_PATH,
    PF_Param_GROUP_START,
    PF_Param_GROUP_END,
    PF_Param_BUTTON,
    PF_Param_RESERVED2,
    PF_Param_RESERVED3,
    PF_Param_POINT_3D
};
typedef A_long PF_ParamFlags;
enum {
    PF_ParamFlag_RESERVED1 = 1 << 0,
    PF_ParamFlag_CANNOT_TIME_VARY = 1 << 1,
    PF_ParamFlag_CANNOT_INTERP = 1 << 2,
    PF_ParamFlag_RESERVED2 = 1 << 3,
    PF_ParamFlag_RESERVED3 = 1 << 4,
    PF_ParamFlag_COLLAPSE_TWIRLY = 1 << 5,
    PF_ParamFlag_SUPERVISE = 1 << 6,
    PF_ParamFlag_START_COLLAPSED = PF_ParamFlag_COLLAPSE_TWIRLY,
    PF_ParamFlag_USE_VALUE_FOR_OLD_PROJECTS = 1 << 7,
    PF_ParamFlag_LAYER_PARAM_IS_TRACKMATTE = 1 << 7,
    PF_ParamFlag_EXCLUDE_FROM_HAVE_INPUTS_CHANGED = 1 << 8,
    PF_ParamFlag_SKIP_REVEAL_WHEN_UNHIDDEN = 1 << 9
};
typedef A_long PF_ParamUIFlags;
enum {
    PF_PUI_NONE = 0,
    PF_PUI_TOPIC = 1 << 0,
    PF_PUI_CONTROL = 1 << 1,
    PF_PUI_STD_CONTROL_ONLY = 1 << 2,
    PF_PUI_NO_ECW_UI = 1 << 3,
    PF_PUI_ECW_SEPARATOR = 1 << 4,
    PF_PUI_DISABLED = 1 << 5,
    PF_PUI_DONT_ERASE_TOPIC = 1 << 6,
    PF_PUI_DONT_ERASE_CONTROL = 1 << 7,
    PF_PUI_RADIO_BUTTON = 1 << 8,
    PF_PUI_INVISIBLE = 1 << 9
};
typedef A_long PF_ChangeFlags;
enum {
    PF_ChangeFlag_NONE = 0,
    PF_ChangeFlag_CHANGED_VALUE = 1 << 0,
    PF_ChangeFlag_RESERVED = 1 << 1,
    PF_ChangeFlag_SET_TO_VARY = 1 << 2,
    PF_ChangeFlag_SET_TO_CONSTANT = 1 << 3
};
typedef A_short PF_ValueDisplayFlags;
enum { PF_ValueDisplayFlag_NONE = 0, PF_ValueDisplayFlag_PERCENT = 1, PF_ValueDisplayFlag_PIXEL = 2 };
typedef A_u_long PF_FSliderFlags;
enum { PF_FSliderFlag_NONE = 0, PF_FSliderFlag_WANT_PHASE = 1 };
enum { PF_Precision_INTEGER, PF_Precision_TENTHS, PF_Precision_HUNDREDTHS, PF_Precision_THOUSANDTHS, PF_Precision_TEN_THOUSANDTHS };

#define PF_MAX_EFFECT_NAME_LEN 31
#define PF_MAX_EFFECT_MSG_LEN 255
#define PF_MAX_EFFECT_PARAM_NAME_LEN 31
#define PF_MAX_PARAM_DESCRIPTION_LEN 31

#define PF_MAX_PARAM_VALUE_LEN 31

typedef struct {
    A_long value;
    A_char value_str[PF_MAX_PARAM_VALUE_LEN + 1];
    A_char value_desc[PF_MAX_PARAM_DESCRIPTION_LEN + 1];
    A_long valid_min, valid_max, slider_min, slider_max, dephault;
} PF_SliderDef;
typedef struct {
    PF_Fixed value;
    A_char value_str[PF_MAX_PARAM_VALUE_LEN + 1];
    A_char value_desc[PF_MAX_PARAM_DESCRIPTION_LEN + 1];
    PF_Fixed valid_min, valid_max, slider_min, slider_max, dephault;
    A_short precision;
    A_short display_flags;
} PF_FixedSliderDef;
typedef struct {
    PF_FpLong value;
    PF_FpLong phase;
    A_char value_desc[PF_MAX_PARAM_DESCRIPTION_LEN + 1];
    PF_FpShort valid_min, valid_max, slider_min, slider_max, dephault;
    A_short precision;
    PF_ValueDisplayFlags display_flags;
    PF_FSliderFlags fs_flags;
    PF_FpShort curve_tolerance;
    PF_Boolean useExponent;
    PF_FpShort exponent;
} PF_FloatSliderDef;
typedef struct { PF_Fixed value, dephault, valid_min, valid_max; } PF_AngleDef;
typedef struct {
    PF_ParamValue value;
    PF_Boolean dephault;
    A_char reserved;
    A_short reserved1;
    union { const A_char *nameptr; } u;
} PF_CheckBoxDef;
typedef struct {
    PF_ParamValue value;
    A_short num_choices;
    A_short dephault;
    union { const A_char *namesptr; } u;
} PF_PopupDef;
typedef struct {
    PF_ParamValue value;
    union { const A_char *namesptr; } u;
} PF_ButtonDef;
typedef struct {
    PF_Fixed x_value, y_value;
    A_char reserved[3];
    PF_Boolean restrict_bounds;
    PF_Fixed x_dephault, y_dephault;
} PF_PointDef;
typedef struct {
    PF_FpLong x_value, y_value, z_value;
    PF_FpLong x_dephault, y_dephault, z_dephault;
    char reserved[16];
} PF_Point3DDef;
typedef struct { PF_UnionablePixel value; PF_UnionablePixel dephault; } PF_ColorDef;
typedef struct {
    A_short id;
    A_short pad;
    PF_ArbitraryH dephault;
    PF_ArbitraryH value;
    void *refconPV;
} PF_ArbitraryDef;
typedef A_u_long PF_PathID;
typedef struct { PF_PathID path_id; A_long reserved0; A_long dephault; } PF_PathDef;

typedef union {
    PF_LayerDef ld;
    PF_SliderDef sd;
    PF_FixedSliderDef fd;
    PF_AngleDef ad;
    PF_CheckBoxDef bd;
    PF_ColorDef cd;
    PF_PointDef td;
    PF_PopupDef pd;
    PF_FloatSliderDef fs_d;
    PF_ArbitraryDef arb_d;
    PF_PathDef path_d;
    PF_ButtonDef button_d;
    PF_Point3DDef point3d_d;
} PF_ParamDefUnion;

typedef struct PF_ParamDef {
    union { A_long id; PF_ChangeFlags change_flags; } uu;
    PF_ParamUIFlags ui_flags;
    A_short ui_width;
    A_short ui_height;
    PF_ParamType param_type;
    A_char name[PF_MAX_EFFECT_PARAM_NAME_LEN + 1];
    PF_ParamFlags flags;
    A_long unused;
    PF_ParamDefUnion u;
} PF_ParamDef, *PF_ParamDefPtr, **PF_ParamDefH;
typedef PF_ParamDef **PF_ParamList;

/* ---- callbacks in PF_InData ---- */
typedef struct {
    PF_Err (*checkout_param)(PF_ProgPtr effect_ref, PF_ParamIndex index, A_long what_time,
                             A_long time_step, A_u_long time_scale, PF_ParamDef *param);
    PF_Err (*checkin_param)(PF_ProgPtr effect_ref, PF_ParamDef *param);
    PF_Err (*add_param)(PF_ProgPtr effect_ref, PF_ParamIndex index, PF_ParamDefPtr def);
    PF_Err (*abort)(PF_ProgPtr effect_ref);
    PF_Err (*progress)(PF_ProgPtr effect_ref, A_long current, A_long total);
    void *register_ui;
    void *checkout_layer_audio;
    void *checkin_layer_audio;
    void *get_audio_data;
    void *reserved_str[3];
    void *reserved[10];
} PF_InteractCallbacks;

typedef struct {
    void *math1[15];  /* atan .. tan */
    int (*sprintf)(A_char *, const A_char *, ...);
    A_char *(*strcpy)(A_char *, const A_char *);
    void *math2[2];   /* asin, acos */
    A_long ansi_procs[1];
} PF_ANSICallbacks;

typedef struct _PF_UtilCallbacks {
    void *sampling_and_compositing[20]; /* begin_sampling .. transform_world */
    PF_Handle (*host_new_handle)(A_u_longlong size);
    void *(*host_lock_handle)(PF_Handle pf_handle);
    void (*host_unlock_handle)(PF_Handle pf_handle);
    void (*host_dispose_handle)(PF_Handle pf_handle);
    void *get_callback_addr;
    void *app;
    PF_ANSICallbacks ansi;
    void *colorCB[8];
    void *get_platform_data;
    A_u_longlong (*host_get_handle_size)(PF_Handle pf_handle);
    void *iterate_origin_non_clip_src;
    void *iterate_generic;
    PF_Err (*host_resize_handle)(A_u_longlong new_sizeL, PF_Handle *handlePH);
    void *deep_callbacks[9]; /* subpixel_sample16 .. get_pixel_data16 */
    A_long reserved[1];
} PF_UtilCallbacks;

typedef struct {
    struct { double rateF; A_short num_channels, format, sample_size; } fi;
    A_long num_samples;
    void *dataP;
} PF_SoundWorld;

typedef struct SPBasicSuite SPBasicSuite;

typedef struct PF_InData {
    PF_InteractCallbacks inter;
    struct _PF_UtilCallbacks *utils;
    PF_ProgPtr effect_ref;
    A_long quality;
    PF_SpecVersion version;
    A_long serial_num;
    A_long appl_id;
    A_long num_params;
    A_long reserved;
    A_long what_cpu;
    A_long what_fpu;
    A_long current_time;
    A_long time_step;
    A_long total_time;
    A_long local_time_step;
    A_u_long time_scale;
    A_long field;
    PF_Fixed shutter_angle;
    A_long width;
    A_long height;
    PF_Rect extent_hint;
    A_long output_origin_x;
    A_long output_origin_y;
    PF_RationalScale downsample_x;
    PF_RationalScale downsample_y;
    PF_RationalScale pixel_aspect_ratio;
    A_long in_flags;
    PF_Handle global_data;
    PF_Handle sequence_data;
    PF_Handle frame_data;
    A_long start_sampL;
    A_long dur_sampL;
    A_long total_sampL;
    PF_SoundWorld src_snd;
    SPBasicSuite *pica_basicP;
    A_long pre_effect_source_origin_x;
    A_long pre_effect_source_origin_y;
    PF_Fixed shutter_phase;
} PF_InData;

typedef struct PF_OutData {
    A_u_long my_version;
    A_char name[PF_MAX_EFFECT_NAME_LEN + 1];
    PF_Handle global_data;
    A_long num_params;
    PF_Handle sequence_data;
    A_long flat_sdata_size;
    PF_Handle frame_data;
    A_long width;
    A_long height;
    PF_Point origin;
    PF_OutFlags out_flags;
    A_char return_msg[PF_MAX_EFFECT_MSG_LEN + 1];
    A_long start_sampL;
    A_long dur_sampL;
    PF_SoundWorld dest_snd;
    PF_OutFlags2 out_flags2;
} PF_OutData;

#define PF_NEW_HANDLE(SIZE) (*in_data->utils->host_new_handle)((SIZE))
#define PF_LOCK_HANDLE(H) (*in_data->utils->host_lock_handle)((PF_Handle)(H))
#define PF_UNLOCK_HANDLE(H) (*in_data->utils->host_unlock_handle)((PF_Handle)(H))
#define PF_DISPOSE_HANDLE(H) (*in_data->utils->host_dispose_handle)((PF_Handle)(H))
#define PF_GET_HANDLE_SIZE(H) (*in_data->utils->host_get_handle_size)((PF_Handle)(H))
#define PF_RESIZE_HANDLE(SIZE, HP) (*in_data->utils->host_resize_handle)((SIZE), (PF_Handle *)(HP))
#define PF_SPRINTF (*in_data->utils->ansi.sprintf)
#define PF_STRCPY(DST, SRC) (*in_data->utils->ansi.strcpy)((DST), (SRC))
#define PF_ABORT(IN_DATA) (*(IN_DATA)->inter.abort)((IN_DATA)->effect_ref)
#define PF_CHECKOUT_PARAM(IN_DATA, I, T, S, SC, P) \
    (*(IN_DATA)->inter.checkout_param)((IN_DATA)->effect_ref, (I), (T), (S), (SC), (P))
#define PF_CHECKIN_PARAM(IN_DATA, P) (*(IN_DATA)->inter.checkin_param)((IN_DATA)->effect_ref, (P))
#define PF_ADD_PARAM(IN_DATA, I, DEF) (*(IN_DATA)->inter.add_param)((IN_DATA)->effect_ref, (I), (DEF))

typedef PF_Err (*PF_FilterProc)(PF_Cmd cmd, PF_InData *in_data, PF_OutData *out_data,
                                PF_ParamList params, PF_LayerDef *output, void *extra);

/* ---- SmartFX ---- */
typedef A_long PF_Field;
enum { PF_Field_FRAME = 0, PF_Field_UPPER, PF_Field_LOWER };
typedef A_long PF_ChannelMask;
enum { PF_ChannelMask_ALPHA = 1, PF_ChannelMask_RED = 2, PF_ChannelMask_GREEN = 4, PF_ChannelMask_BLUE = 8, PF_ChannelMask_ARGB = 15 };
typedef A_long PF_GPU_Framework;
enum { PF_GPU_Framework_NONE = 0 };
typedef short PF_RenderOutputFlags;
enum { PF_RenderOutputFlag_RETURNS_EXTRA_PIXELS = 1, PF_RenderOutputFlag_GPU_RENDER_POSSIBLE = 2 };

typedef struct {
    PF_LRect rect;
    PF_Field field;
    PF_ChannelMask channel_mask;
    PF_Boolean preserve_rgb_of_zero_alpha;
    char unused[3];
    A_long reserved[4];
} PF_RenderRequest;
typedef struct {
    PF_RenderRequest output_request;
    short bitdepth;
    const void *gpu_data;
    PF_GPU_Framework what_gpu;
    A_u_long device_index;
} PF_PreRenderInput;
typedef void (*PF_DeletePreRenderDataFunc)(void *pre_render_data);
typedef struct {
    PF_LRect result_rect;
    PF_LRect max_result_rect;
    PF_Boolean solid;
    PF_Boolean reserved;
    PF_RenderOutputFlags flags;
    void *pre_render_data;
    PF_DeletePreRenderDataFunc delete_pre_render_data_func;
} PF_PreRenderOutput;
typedef struct {
    PF_LRect result_rect;
    PF_LRect max_result_rect;
    PF_RationalScale par;
    PF_Boolean solid;
    PF_Boolean reservedB[3];
    A_long ref_width;
    A_long ref_height;
    A_long reserved[6];
} PF_CheckoutResult;
typedef struct {
    PF_Err (*checkout_layer)(PF_ProgPtr effect_ref, PF_ParamIndex index, A_long checkout_idL,
                             const PF_RenderRequest *req, A_long what_time, A_long time_step,
                             A_u_long time_scale, PF_CheckoutResult *checkout_result);
    PF_Err (*GuidMixInPtr)(PF_ProgPtr effect_ref, A_u_long buf_sizeLu, const void *buf);
} PF_PreRenderCallbacks;
typedef struct {
    PF_PreRenderInput *input;
    PF_PreRenderOutput *output;
    PF_PreRenderCallbacks *cb;
} PF_PreRenderExtra;
typedef struct {
    PF_RenderRequest output_request;
    short bitdepth;
    void *pre_render_data;
    const void *gpu_data;
    PF_GPU_Framework what_gpu;
    A_u_long device_index;
} PF_SmartRenderInput;
typedef struct {
    PF_Err (*checkout_layer_pixels)(PF_ProgPtr effect_ref, A_long checkout_idL, PF_EffectWorld **pixels);
    PF_Err (*checkin_layer_pixels)(PF_ProgPtr effect_ref, A_long checkout_idL);
    PF_Err (*checkout_output)(PF_ProgPtr effect_ref, PF_EffectWorld **output);
} PF_SmartRenderCallbacks;
typedef struct {
    PF_SmartRenderInput *input;
    PF_SmartRenderCallbacks *cb;
} PF_SmartRenderExtra;

/* ---- arbitrary data ---- */
typedef A_long PF_FunctionSelector;
enum {
    PF_Arbitrary_NEW_FUNC = 0,
    PF_Arbitrary_DISPOSE_FUNC,
    PF_Arbitrary_COPY_FUNC,
    PF_Arbitrary_FLAT_SIZE_FUNC,
    PF_Arbitrary_FLATTEN_FUNC,
    PF_Arbitrary_UNFLATTEN_FUNC,
    PF_Arbitrary_INTERP_FUNC,
    PF_Arbitrary_COMPARE_FUNC,
    PF_Arbitrary_PRINT_SIZE_FUNC,
    PF_Arbitrary_PRINT_FUNC,
    PF_Arbitrary_SCAN_FUNC
};
typedef A_long PF_ArbCompareResult;
enum { PF_ArbCompare_EQUAL = 0, PF_ArbCompare_LESS, PF_ArbCompare_MORE, PF_ArbCompare_NOT_EQUAL };
typedef A_long PF_ArbPrintFlags;
enum { PF_ArbPrint_NONE = 0, PF_ArbPrint_ABBREVIATED = 1 };

typedef struct {
    PF_FunctionSelector which_function;
    A_short id;
    A_short padding;
    union {
        struct { void *refconPV; PF_ArbitraryH *arbPH; } new_func_params;
        struct { void *refconPV; PF_ArbitraryH arbH; } dispose_func_params;
        struct { void *refconPV; PF_ArbitraryH src_arbH; PF_ArbitraryH *dst_arbPH; } copy_func_params;
        struct { void *refconPV; PF_ArbitraryH arbH; A_u_long *flat_data_sizePLu; } flat_size_func_params;
        struct { void *refconPV; PF_ArbitraryH arbH; A_u_long buf_sizeLu; void *flat_dataPV; } flatten_func_params;
        struct { void *refconPV; A_u_long buf_sizeLu; const void *flat_dataPV; PF_ArbitraryH *arbPH; } unflatten_func_params;
        struct { void *refconPV; PF_ArbitraryH left_arbH; PF_ArbitraryH right_arbH; PF_FpLong tF; PF_ArbitraryH *interpPH; } interp_func_params;
        struct { void *refconPV; PF_ArbitraryH a_arbH; PF_ArbitraryH b_arbH; PF_ArbCompareResult *compareP; } compare_func_params;
        struct { void *refconPV; PF_ArbitraryH arbH; A_u_long *print_sizePLu; } print_size_func_params;
        struct { void *refconPV; PF_ArbPrintFlags print_flags; PF_ArbitraryH arbH; A_u_long print_sizeLu; A_char *print_bufferPC; } print_func_params;
        struct { void *refconPV; const A_char *bufPC; A_u_long bytes_to_scanLu; PF_ArbitraryH *arbPH; } scan_func_params;
    } u;
} PF_ArbParamsExtra;

typedef struct { PF_ParamIndex param_index; } PF_UserChangedParamExtra;

/* ---- basic suite ---- */
struct SPBasicSuite {
    SPErr (*AcquireSuite)(const char *name, int32_t version, const void **suite);
    SPErr (*ReleaseSuite)(const char *name, int32_t version);
    SPBoolean (*IsEqual)(const char *token1, const char *token2);
    SPErr (*AllocateBlock)(size_t size, void **block);
    SPErr (*FreeBlock)(void *block);
    SPErr (*ReallocateBlock)(void *block, size_t newSize, void **newblock);
    SPErr (*Undefined)(void);
};
#define kSPBasicSuite "SP Basic Suite"
#define kSPBasicSuiteVersion 4

/* ---- AEGP types ---- */
typedef A_long AEGP_PluginID;
typedef struct _AEGP_GlobalRefcon *AEGP_GlobalRefcon;
typedef struct _AEGP_Layer **AEGP_LayerH;
typedef struct _AEGP_Comp **AEGP_CompH;
typedef struct _AEGP_Item **AEGP_ItemH;
typedef struct _AEGP_Effect **AEGP_EffectRefH;
typedef struct _AEGPp_Stream **AEGP_StreamRefH;
typedef A_u_long AEGP_MemSize;
typedef A_long AEGP_MemFlag;
enum { AEGP_MemFlag_NONE = 0, AEGP_MemFlag_CLEAR = 1, AEGP_MemFlag_QUIET = 2 };
typedef A_u_long AEGP_GetPathTypes;
enum { AEGP_GetPathTypes_PLUGIN = 0, AEGP_GetPathTypes_USER_PLUGIN, AEGP_GetPathTypes_ALLUSER_PLUGIN, AEGP_GetPathTypes_APP };
typedef struct { A_long reservedAL[12]; } AEGP_ErrReportState;
typedef struct { A_FpLong alphaF, redF, greenF, blueF; } AEGP_ColorVal;
typedef A_short AEGP_LTimeMode;
enum { AEGP_LTimeMode_LayerTime = 0, AEGP_LTimeMode_CompTime = 1 };
typedef A_long AEGP_StreamType;
typedef struct { A_FpLong x, y; } AEGP_TwoDVal;
typedef struct { A_FpLong x, y, z; } AEGP_ThreeDVal;
typedef union {
    A_FpLong four_d[4];
    AEGP_ThreeDVal three_d;
    AEGP_TwoDVal two_d;
    A_FpLong one_d;
    AEGP_ColorVal color;
    A_Handle arbH;
    void *markerP;
    A_long layer_id;
    A_long mask_id;
    void *mask;
    void *text_documentH;
} AEGP_StreamVal2;
typedef struct { AEGP_StreamRefH streamH; AEGP_StreamVal2 val; } AEGP_StreamValue2;


/* "AEGP Utility Suite": version 13 (v6) and the older layouts 7 (v3) and 11 (v5). */
#define kAEGPUtilitySuite "AEGP Utility Suite"
#define kAEGPUtilitySuiteVersion3 7
#define kAEGPUtilitySuiteVersion5 11
#define kAEGPUtilitySuiteVersion6 13
typedef struct {
    A_Err (*AEGP_ReportInfo)(AEGP_PluginID, const A_char *);
    A_Err (*AEGP_ReportInfoUnicode)(AEGP_PluginID, const A_UTF16Char *);
    A_Err (*AEGP_GetDriverPluginInitFuncVersion)(A_short *, A_short *);
    A_Err (*AEGP_GetDriverImplementationVersion)(A_short *, A_short *);
    A_Err (*AEGP_StartQuietErrors)(AEGP_ErrReportState *);
    A_Err (*AEGP_EndQuietErrors)(A_Boolean, AEGP_ErrReportState *);
    A_Err (*AEGP_GetLastErrorMessage)(A_long, A_char *, A_Err *);
    A_Err (*AEGP_StartUndoGroup)(const A_char *undo_nameZ);
    A_Err (*AEGP_EndUndoGroup)(void);
    A_Err (*AEGP_RegisterWithAEGP)(AEGP_GlobalRefcon, const A_char *, AEGP_PluginID *);
    void *palette_and_misc[18]; /* AEGP_GetMainHWND .. AEGP_IsScriptingAvailable */
    A_Err (*AEGP_ExecuteScript)(AEGP_PluginID inPlugin_id, const A_char *inScriptZ,
                                const A_Boolean platform_encodingB, AEGP_MemHandle *outResultPH0,
                                AEGP_MemHandle *outErrorStringPH0);
    A_Err (*AEGP_HostIsActivated)(A_Boolean *);
    A_Err (*AEGP_GetPluginPlatformRef)(AEGP_PluginID, void **);
    A_Err (*AEGP_UpdateFontList)(void);
    A_Err (*AEGP_GetPluginPaths)(AEGP_PluginID aegp_plugin_id, AEGP_GetPathTypes path_type,
                                 AEGP_MemHandle *unicode_pathPH);
} AEGP_UtilitySuite6;
typedef struct {
    A_Err (*AEGP_ReportInfo)(AEGP_PluginID, const A_char *);
    A_Err (*AEGP_GetDriverPluginInitFuncVersion)(A_short *, A_short *);
    A_Err (*AEGP_GetDriverImplementationVersion)(A_short *, A_short *);
    A_Err (*AEGP_StartQuietErrors)(AEGP_ErrReportState *);
    A_Err (*AEGP_EndQuietErrors)(A_Boolean, AEGP_ErrReportState *);
    A_Err (*AEGP_GetLastErrorMessage)(A_long, A_char *, A_Err *);
    A_Err (*AEGP_StartUndoGroup)(const A_char *undo_nameZ);
    A_Err (*AEGP_EndUndoGroup)(void);
    A_Err (*AEGP_RegisterWithAEGP)(AEGP_GlobalRefcon, const A_char *, AEGP_PluginID *);
    void *rest[22];
} AEGP_UtilitySuite5;
typedef struct {
    A_Err (*AEGP_ReportInfo)(AEGP_PluginID, const A_char *);
    A_Err (*AEGP_GetDriverPluginInitFuncVersion)(A_short *, A_short *);
    A_Err (*AEGP_GetDriverImplementationVersion)(A_short *, A_short *);
    A_Err (*AEGP_StartQuietErrors)(AEGP_ErrReportState *);
    A_Err (*AEGP_EndQuietErrors)(A_Boolean, AEGP_ErrReportState *);
    A_Err (*AEGP_StartUndoGroup)(const A_char *undo_nameZ);
    A_Err (*AEGP_EndUndoGroup)(void);
    A_Err (*AEGP_RegisterWithAEGP)(AEGP_GlobalRefcon global_refcon, const A_char *plugin_nameZ,
                                   AEGP_PluginID *plugin_id);
    void *rest[17];
} AEGP_UtilitySuite3;

#define kAEGPMemorySuite "AEGP Memory Suite"
#define kAEGPMemorySuiteVersion1 1
typedef struct {
    A_Err (*AEGP_NewMemHandle)(AEGP_PluginID plugin_id, const A_char *whatZ, AEGP_MemSize size,
                               AEGP_MemFlag flags, AEGP_MemHandle *memPH);
    A_Err (*AEGP_FreeMemHandle)(AEGP_MemHandle memH);
    A_Err (*AEGP_LockMemHandle)(AEGP_MemHandle memH, void **ptr_to_ptr);
    A_Err (*AEGP_UnlockMemHandle)(AEGP_MemHandle memH);
    A_Err (*AEGP_GetMemHandleSize)(AEGP_MemHandle memH, AEGP_MemSize *sizeP);
    A_Err (*AEGP_ResizeMemHandle)(const A_char *whatZ, AEGP_MemSize new_size, AEGP_MemHandle memH);
    A_Err (*AEGP_SetMemReportingOn)(A_Boolean turn_OnB);
    A_Err (*AEGP_GetMemStats)(AEGP_PluginID plugin_id, A_long *countPL, A_long *sizePL);
} AEGP_MemorySuite1;

#define kAEGPPFInterfaceSuite "AEGP PF Interface Suite"
#define kAEGPPFInterfaceSuiteVersion1 1
typedef struct {
    A_Err (*AEGP_GetEffectLayer)(PF_ProgPtr effect_pp_ref, AEGP_LayerH *layerPH);
    A_Err (*AEGP_GetNewEffectForEffect)(AEGP_PluginID aegp_plugin_id, PF_ProgPtr effect_pp_ref,
                                        AEGP_EffectRefH *effect_refPH);
    A_Err (*AEGP_ConvertEffectToCompTime)(PF_ProgPtr, A_long, A_u_long, A_Time *);
    A_Err (*AEGP_GetEffectCamera)(PF_ProgPtr, const A_Time *, AEGP_LayerH *);
    A_Err (*AEGP_GetEffectCameraMatrix)(PF_ProgPtr, const A_Time *, A_Matrix4 *, A_FpLong *,
                                        A_short *, A_short *);
} AEGP_PFInterfaceSuite1;

#define kAEGPLayerSuite "AEGP Layer Suite"
#define kAEGPLayerSuiteVersion8 14
typedef struct {
    A_Err (*AEGP_GetCompNumLayers)(AEGP_CompH, A_long *);
    A_Err (*AEGP_GetCompLayerByIndex)(AEGP_CompH, A_long, AEGP_LayerH *);
    A_Err (*AEGP_GetActiveLayer)(AEGP_LayerH *);
    A_Err (*AEGP_GetLayerIndex)(AEGP_LayerH, A_long *);
    A_Err (*AEGP_GetLayerSourceItem)(AEGP_LayerH, AEGP_ItemH *);
    A_Err (*AEGP_GetLayerSourceItemID)(AEGP_LayerH, A_long *);
    A_Err (*AEGP_GetLayerParentComp)(AEGP_LayerH layerH, AEGP_CompH *compPH);
} AEGP_LayerSuite8;

#define kAEGPCompSuite "AEGP Comp Suite"
#define kAEGPCompSuiteVersion11 25
typedef struct {
    void *before_framerate[11]; /* AEGP_GetCompFromItem .. AEGP_SetShowBlendModes */
    A_Err (*AEGP_GetCompFramerate)(AEGP_CompH compH, A_FpLong *fpsPF);
} AEGP_CompSuite11;

#define kAEGPEffectSuite "AEGP Effect Suite"
#define kAEGPEffectSuiteVersion3 3
typedef struct {
    void *before_dispose[8]; /* AEGP_GetLayerNumEffects .. AEGP_EffectCallGeneric */
    A_Err (*AEGP_DisposeEffect)(AEGP_EffectRefH effect_refH);
} AEGP_EffectSuite3;

#define kAEGPStreamSuite "AEGP Stream Suite"
#define kAEGPStreamSuiteVersion4 9
typedef struct {
    void *before_effect_stream[5]; /* AEGP_IsStreamLegal .. AEGP_GetEffectNumParamStreams */
    A_Err (*AEGP_GetNewEffectStreamByIndex)(AEGP_PluginID aegp_plugin_id, AEGP_EffectRefH effect_refH,
                                            PF_ParamIndex param_index, AEGP_StreamRefH *streamPH);
    void *AEGP_GetNewMaskStream;
    A_Err (*AEGP_DisposeStream)(AEGP_StreamRefH streamH);
    void *stream_queries[5]; /* AEGP_GetStreamName .. AEGP_GetStreamType */
    A_Err (*AEGP_GetNewStreamValue)(AEGP_PluginID aegp_plugin_id, AEGP_StreamRefH streamH,
                                    AEGP_LTimeMode time_mode, const A_Time *timePT,
                                    A_Boolean pre_expressionB, AEGP_StreamValue2 *valueP);
    A_Err (*AEGP_DisposeStreamValue)(AEGP_StreamValue2 *valueP);
    A_Err (*AEGP_SetStreamValue)(AEGP_PluginID aegp_plugin_id, AEGP_StreamRefH streamH,
                                 AEGP_StreamValue2 *valueP);
} AEGP_StreamSuite4;

#define kPFANSISuite "PF ANSI Suite"
#define kPFANSISuiteVersion1 1
typedef struct {
    void *math1[15];
    int (*sprintf)(A_char *, const A_char *, ...);
    A_char *(*strcpy)(A_char *, const A_char *);
    void *math2[2];
} PF_ANSICallbacksSuite1;

#define kPFHandleSuite "PF Handle Suite"
#define kPFHandleSuiteVersion1 2
typedef struct {
    PF_Handle (*host_new_handle)(A_HandleSize size);
    void *(*host_lock_handle)(PF_Handle pf_handle);
    void (*host_unlock_handle)(PF_Handle pf_handle);
    void (*host_dispose_handle)(PF_Handle pf_handle);
    A_HandleSize (*host_get_handle_size)(PF_Handle pf_handle);
    PF_Err (*host_resize_handle)(A_HandleSize new_sizeL, PF_Handle *handlePH);
} PF_HandleSuite1;

#define kPFParamUtilsSuite "PF Param Utils Suite"
#define kPFParamUtilsSuiteVersion3 3
typedef struct {
    PF_Err (*PF_UpdateParamUI)(PF_ProgPtr effect_ref, PF_ParamIndex param_index, const PF_ParamDef *defP);
    void *rest[8];
} PF_ParamUtilsSuite3;

#define kPFEffectUISuite "PF Effect UI Suite"
#define kPFEffectUISuiteVersion1 1
typedef struct {
    PF_Err (*PF_SetOptionsButtonName)(PF_ProgPtr effect_ref, const A_char *nameZ);
} PF_EffectUISuite1;

#define kPFEffectSequenceDataSuite "PF Effect Sequence Data Suite"
#define kPFEffectSequenceDataSuiteVersion1 1

} // extern "C"

/* Layout checks against the host's Windows x64 structures. */
static_assert(sizeof(PF_InteractCallbacks) == 176, "PF_InteractCallbacks");
static_assert(sizeof(PF_ANSICallbacks) == 160, "PF_ANSICallbacks");
static_assert(sizeof(PF_UtilCallbacks) == 552, "PF_UtilCallbacks");
static_assert(offsetof(PF_UtilCallbacks, host_new_handle) == 160, "host_new_handle");
static_assert(offsetof(PF_UtilCallbacks, ansi) == 208, "ansi");
static_assert(offsetof(PF_UtilCallbacks, host_resize_handle) == 464, "host_resize_handle");
static_assert(sizeof(PF_InData) == 408, "PF_InData");
static_assert(offsetof(PF_InData, appl_id) == 204, "appl_id");
static_assert(offsetof(PF_InData, global_data) == 312, "global_data");
static_assert(offsetof(PF_InData, pica_basicP) == 384, "pica_basicP");
static_assert(sizeof(PF_OutData) == 408, "PF_OutData");
static_assert(offsetof(PF_OutData, return_msg) == 100, "return_msg");
static_assert(offsetof(PF_OutData, out_flags2) == 400, "out_flags2");
static_assert(sizeof(PF_LayerDef) == 120, "PF_LayerDef");
static_assert(offsetof(PF_LayerDef, origin_x) == 104, "origin_x");
static_assert(sizeof(PF_ParamDef) == 176, "PF_ParamDef");
static_assert(offsetof(PF_ParamDef, u) == 56, "PF_ParamDef.u");
static_assert(sizeof(PF_FloatSliderDef) == 88, "PF_FloatSliderDef");
static_assert(sizeof(PF_PointDef) == 20, "PF_PointDef");
static_assert(sizeof(PF_Point3DDef) == 64, "PF_Point3DDef");
static_assert(sizeof(PF_ArbitraryDef) == 32, "PF_ArbitraryDef");
static_assert(sizeof(PF_RenderRequest) == 44, "PF_RenderRequest");
static_assert(sizeof(PF_PreRenderInput) == 64, "PF_PreRenderInput");
static_assert(sizeof(PF_PreRenderOutput) == 56, "PF_PreRenderOutput");
static_assert(sizeof(PF_CheckoutResult) == 76, "PF_CheckoutResult");
static_assert(sizeof(PF_SmartRenderInput) == 72, "PF_SmartRenderInput");
static_assert(sizeof(PF_ArbParamsExtra) == 48, "PF_ArbParamsExtra");
static_assert(sizeof(SPBasicSuite) == 56, "SPBasicSuite");
static_assert(offsetof(AEGP_UtilitySuite6, AEGP_RegisterWithAEGP) == 9 * 8, "RegisterWithAEGP v6");
static_assert(offsetof(AEGP_UtilitySuite6, AEGP_ExecuteScript) == 28 * 8, "ExecuteScript v6");
static_assert(offsetof(AEGP_UtilitySuite6, AEGP_GetPluginPaths) == 32 * 8, "GetPluginPaths v6");
static_assert(offsetof(AEGP_UtilitySuite5, AEGP_StartUndoGroup) == 6 * 8, "StartUndoGroup v5");
static_assert(offsetof(AEGP_UtilitySuite3, AEGP_RegisterWithAEGP) == 7 * 8, "RegisterWithAEGP v3");
static_assert(offsetof(AEGP_CompSuite11, AEGP_GetCompFramerate) == 11 * 8, "GetCompFramerate");
static_assert(offsetof(AEGP_EffectSuite3, AEGP_DisposeEffect) == 8 * 8, "DisposeEffect");
static_assert(offsetof(AEGP_StreamSuite4, AEGP_DisposeStream) == 7 * 8, "DisposeStream");
static_assert(offsetof(AEGP_StreamSuite4, AEGP_SetStreamValue) == 15 * 8, "SetStreamValue");
static_assert(sizeof(AEGP_StreamValue2) == 40, "AEGP_StreamValue2");

#endif // QV_USE_REAL_AE_SDK
