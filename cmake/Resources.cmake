# The built bundle: every file of resources/ copied to ${CORVANE_BUNDLE_DIR} under the same relative
# path, except drawings kept as SVG sources, which are rendered at twice their size in points to
# name@2x.png beside where they stand (resources/hud/STProgressHUD.bundle/error.svg becomes
# hud/STProgressHUD.bundle/error@2x.png). Files added to resources/ are picked up on the next build.
set(CORVANE_BUNDLE_DIR "${CMAKE_BINARY_DIR}/resources" CACHE INTERNAL "The application's built resources folder")

find_program(RSVG_CONVERT rsvg-convert REQUIRED)

function(corvane_bundle source_dir)
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS RELATIVE "${source_dir}" "${source_dir}/*")
  # The question bank's sources are built into the bank by tools/questionbank.
  list(FILTER sources EXCLUDE REGEX "^questionbank/")
  set(outputs)
  foreach(relative IN LISTS sources)
    set(input "${source_dir}/${relative}")
    get_filename_component(folder "${relative}" DIRECTORY)
    get_filename_component(extension "${relative}" LAST_EXT)
    string(TOLOWER "${extension}" extension)
    if(extension STREQUAL ".svg")
      get_filename_component(stem "${relative}" NAME_WLE)
      if(folder)
        set(output "${CORVANE_BUNDLE_DIR}/${folder}/${stem}@2x.png")
      else()
        set(output "${CORVANE_BUNDLE_DIR}/${stem}@2x.png")
      endif()
      add_custom_command(OUTPUT "${output}"
        COMMAND ${CMAKE_COMMAND} -E make_directory "${CORVANE_BUNDLE_DIR}/${folder}"
        COMMAND ${RSVG_CONVERT} --zoom=2 --format=png --output "${output}" "${input}"
        DEPENDS "${input}"
        COMMENT "Rendering ${relative}"
        VERBATIM)
    else()
      set(output "${CORVANE_BUNDLE_DIR}/${relative}")
      add_custom_command(OUTPUT "${output}"
        COMMAND ${CMAKE_COMMAND} -E copy_if_different "${input}" "${output}"
        DEPENDS "${input}"
        VERBATIM)
    endif()
    list(APPEND outputs "${output}")
  endforeach()
  add_custom_target(corvane_bundle ALL DEPENDS ${outputs})
endfunction()
