# CompressedFileTest reads a text and its SZDD form as written by mscompress (Debian's
# compress.exe), made at build time. Wine maps Z: to the Unix root, so the test reaches
# the build folder through Z:.
find_program(KRX_MSCOMPRESS mscompress REQUIRED)
set(lz_dir ${CMAKE_CURRENT_BINARY_DIR}/lz)
set(lz_plain ${lz_dir}/muster.txt)
set(lz_packed ${lz_dir}/muster.txt_)

# Repetitive enough for back-references, long enough to wrap the 4 KiB window.
set(lz_text "")
foreach(i RANGE 1 400)
  math(EXPR port "${i} % 16")
  string(APPEND lz_text "Zeile ${i}: Rückmelder ${port} meldet \"belegt\",\tVelmora KRX-40\r\n")
endforeach()
file(CONFIGURE OUTPUT ${lz_plain} CONTENT "${lz_text}" @ONLY)

# mscompress writes FILE_ beside FILE.
add_custom_command(OUTPUT ${lz_packed}
  COMMAND ${CMAKE_COMMAND} -E rm -f ${lz_packed}
  COMMAND ${KRX_MSCOMPRESS} ${lz_plain}
  DEPENDS ${lz_plain}
  COMMENT "Packing the LZ sample with mscompress")
add_custom_target(test_lib_lz_sample DEPENDS ${lz_packed})
add_dependencies(test_lib test_lib_lz_sample)
target_compile_definitions(test_lib PRIVATE KRX_LZ_PLAIN="Z:${lz_plain}" KRX_LZ_PACKED="Z:${lz_packed}")
