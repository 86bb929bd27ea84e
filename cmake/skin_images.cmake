# The skin's picture files in the generated folder, read from the image table in
# skin/skin_images.h so that the list is written once.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/skin/skin_images.h)
file(STRINGS ${CMAKE_SOURCE_DIR}/skin/skin_images.h skin_image_lines REGEX "\"skin_[a-z_]+\\.bin\"")
set(SKIN_IMAGE_FILES)
foreach(line ${skin_image_lines})
  string(REGEX MATCH "skin_[a-z_]+\\.bin" name "${line}")
  list(APPEND SKIN_IMAGE_FILES ${GENERATED_DIR}/${name})
endforeach()
