# Resources generated at build time from the tables and recipes in the repo; byte-identical
# on every build. The Windows build embeds them (resources/soundboard.rc).
set(ICON_FILE ${GENERATED_DIR}/app.ico)
set(FORM_FILE ${GENERATED_DIR}/main_form.bin)
set(CLIPS_FILE ${GENERATED_DIR}/clips.bin)
set(SEEDS ${GENERATED_DIR}/fuzz_seeds)

add_custom_command(OUTPUT ${ICON_FILE}
  COMMAND gen_icon ${ICON_FILE}
  DEPENDS gen_icon VERBATIM)
add_custom_command(OUTPUT ${FORM_FILE}
  COMMAND gen_form ${ICON_FILE} ${FORM_FILE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${SEEDS}/fuzz_form_description
  COMMAND ${CMAKE_COMMAND} -E copy ${FORM_FILE} ${SEEDS}/fuzz_form_description/main_form.bin
  DEPENDS gen_form ${ICON_FILE} VERBATIM)
add_custom_command(OUTPUT ${CLIPS_FILE}
  COMMAND gen_clips ${CLIPS_FILE} ${SEEDS}/fuzz_riff
  DEPENDS gen_clips VERBATIM)
include(cmake/skin_images.cmake)
add_custom_command(OUTPUT ${SKIN_IMAGE_FILES}
  COMMAND gen_skin_images ${GENERATED_DIR}
  DEPENDS gen_skin_images VERBATIM)
set(MIDI_SEEDS_STAMP ${SEEDS}/fuzz_midi/seed0.mid)
add_custom_command(OUTPUT ${MIDI_SEEDS_STAMP}
  COMMAND gen_midi_seeds ${SEEDS}/fuzz_midi
  DEPENDS gen_midi_seeds VERBATIM)
add_custom_target(generated_resources ALL
  DEPENDS ${ICON_FILE} ${FORM_FILE} ${CLIPS_FILE} ${SKIN_IMAGE_FILES} ${MIDI_SEEDS_STAMP})
