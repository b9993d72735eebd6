# The gallery's pictures, drawn at build time by make-images.py (no binary image is kept in git),
# with an LZ-compressed copy of foto.bmp made by mscompress. Used by the gallery and by the
# bitmap tests: krx_gallery_images(target) gives a target the pictures as resources.
find_program(KRX_IMAGES_PYTHON python3 REQUIRED)
find_program(KRX_IMAGES_MSCOMPRESS mscompress REQUIRED)

set(KRX_IMAGES_DIR ${CMAKE_BINARY_DIR}/gallery-images)
set(KRX_IMAGES_HEADER_DIR ${CMAKE_CURRENT_LIST_DIR})
set(images_script ${CMAKE_CURRENT_LIST_DIR}/make-images.py)
set(images_files "")
foreach(name sel0c sel0r sel0h sel1c sel1r sel1h sel2c sel2r sel2h sel3c sel3r sel3h btn_up btn_down
             btn_hi btn_downhi lamp_off lamp_green lamp_red shape logo logo_mask raster foto)
  list(APPEND images_files ${KRX_IMAGES_DIR}/${name}.bmp)
endforeach()
foreach(name signal lok weiche)
  list(APPEND images_files ${KRX_IMAGES_DIR}/${name}.ico)
endforeach()
set(KRX_IMAGES_FILES ${images_files} ${KRX_IMAGES_DIR}/foto.bmp_)

# Included by every folder that uses the pictures: the variables above for each, the rule once.
if(NOT TARGET gallery_images)
  # mscompress writes FILE_ beside FILE.
  add_custom_command(OUTPUT ${KRX_IMAGES_FILES}
    COMMAND ${KRX_IMAGES_PYTHON} ${images_script} ${KRX_IMAGES_DIR}
    COMMAND ${CMAKE_COMMAND} -E rm -f ${KRX_IMAGES_DIR}/foto.bmp_
    COMMAND ${KRX_IMAGES_MSCOMPRESS} ${KRX_IMAGES_DIR}/foto.bmp
    DEPENDS ${images_script}
    COMMENT "Drawing the gallery's pictures")
  add_custom_target(gallery_images DEPENDS ${KRX_IMAGES_FILES})

  set(dir ${KRX_IMAGES_DIR})
  configure_file(${CMAKE_CURRENT_LIST_DIR}/GalleryImages.rc.in ${KRX_IMAGES_DIR}/GalleryImages.rc @ONLY)
  unset(dir)
endif()

function(krx_gallery_images target)
  target_sources(${target} PRIVATE ${KRX_IMAGES_DIR}/GalleryImages.rc)
  set_source_files_properties(${KRX_IMAGES_DIR}/GalleryImages.rc PROPERTIES
    OBJECT_DEPENDS "${KRX_IMAGES_FILES}")
  target_include_directories(${target} PRIVATE ${KRX_IMAGES_HEADER_DIR})
  add_dependencies(${target} gallery_images)
endfunction()
