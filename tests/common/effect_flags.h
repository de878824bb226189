// The flags the effect declares in its PiPL and again at global setup, by name.
#pragma once

#include "sdk/ae_sdk.h"

constexpr A_long kEffectOutFlags = PF_OutFlag_NON_PARAM_VARY | PF_OutFlag_I_DO_DIALOG | PF_OutFlag_USE_OUTPUT_EXTENT |
                                   PF_OutFlag_CUSTOM_UI | PF_OutFlag_DEEP_COLOR_AWARE |
                                   PF_OutFlag_SEND_UPDATE_PARAMS_UI;
constexpr A_long kEffectOutFlags2 = PF_OutFlag2_SUPPORTS_SMART_RENDER | PF_OutFlag2_FLOAT_COLOR_AWARE |
                                    PF_OutFlag2_SUPPORTS_GET_FLATTENED_SEQUENCE_DATA;
