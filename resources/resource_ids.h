// Names of the embedded resources as resources/soundboard.rc declares them.
#pragma once
#define BOARD_ICON_NAME "DEFAULT_ICON"
#define BOARD_MAIN_FORM_NAME "FORM_52010001"
#define BOARD_CLIPS_NAME "CLIPS"
