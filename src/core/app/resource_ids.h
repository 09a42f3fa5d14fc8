#pragma once
/* The resource numbers of the program, read by both the resource compiler
   (tallyframe.rc, through the C preprocessor) and the C++ code (control_ids.h
   names them as enumerators): plain #defines, nothing the resource compiler
   cannot parse. */

/* The icon group every window shows. */
#define TF_RESOURCE_APP_ICON 101

/* SVG icon documents, stored as RCDATA and rasterised at run time. */
#define TF_RESOURCE_ICON_APP_MARK 201
#define TF_RESOURCE_ICON_SELECTION 202
#define TF_RESOURCE_ICON_MINIMIZE 203
#define TF_RESOURCE_ICON_CLOSE 204
#define TF_RESOURCE_ICON_CHECK 205
#define TF_RESOURCE_ICON_PICTURE 206
#define TF_RESOURCE_ICON_COPY 207
#define TF_RESOURCE_ICON_GEAR 208
#define TF_RESOURCE_ICON_CHEVRON_LEFT 209
#define TF_RESOURCE_ICON_SLIDERS 210
#define TF_RESOURCE_ICON_HELP 211
#define TF_RESOURCE_ICON_INFO 212
#define TF_RESOURCE_ICON_FOLDER 213
#define TF_RESOURCE_ICON_REFRESH 214
#define TF_RESOURCE_ICON_EXTERNAL 215
#define TF_RESOURCE_ICON_SPEECH 216
#define TF_RESOURCE_ICON_PUBLISHER_BADGE 217
#define TF_RESOURCE_ICON_STATUS 218
#define TF_RESOURCE_ICON_CHEVRON_DOWN 219
