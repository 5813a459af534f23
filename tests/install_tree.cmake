# Installs the build tree into a fresh prefix and checks what a desktop
# needs of it. Run as: cmake -DBUILD=<build tree> -DPREFIX=<empty folder> -P install_tree.cmake
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD}" --prefix "${PREFIX}"
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${rc}")
endif()

foreach(f
    lib/vkbuilder/vkbuilder lib/vkbuilder/vkc/VKC.EXE lib/vkbuilder/vkc/VKC.CFG
    lib/vkbuilder/Define.Txt lib/vkbuilder/Template.TXT lib/vkbuilder/VKLIBHLP.TXT lib/vkbuilder/vkbuilder.html
    share/applications/vkbuilder.desktop share/icons/hicolor/scalable/apps/vkbuilder.svg
    share/mime/packages/vkbuilder.xml share/vkbuilder/demo/hello.r share/vkbuilder/demo/demo.PRJ)
  if(NOT EXISTS "${PREFIX}/${f}")
    message(FATAL_ERROR "missing from the install tree: ${f}")
  endif()
endforeach()

# The program is started through bin/, and finds its files beside its real place.
file(READ_SYMLINK "${PREFIX}/bin/vkbuilder" target)
if(NOT target STREQUAL "../lib/vkbuilder/vkbuilder")
  message(FATAL_ERROR "bin/vkbuilder points at '${target}'")
endif()

file(READ "${PREFIX}/share/applications/vkbuilder.desktop" entry)
if(NOT entry MATCHES "\nExec=vkbuilder %F\n.*\nCategories=Development;IDE;TextEditor;\n")
  message(FATAL_ERROR "the desktop entry opens no files or lacks its categories")
endif()
find_program(VALIDATE desktop-file-validate REQUIRED)
execute_process(COMMAND "${VALIDATE}" "${PREFIX}/share/applications/vkbuilder.desktop"
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0 OR out MATCHES "error:")
  message(FATAL_ERROR "desktop-file-validate: ${out}")
endif()
file(REMOVE_RECURSE "${PREFIX}")
