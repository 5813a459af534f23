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

# The stand-in compiler works where it was installed.
file(COPY "${PREFIX}/share/vkbuilder/demo/mistake.r" "${PREFIX}/share/vkbuilder/demo/util.h" DESTINATION "${PREFIX}/try")
execute_process(COMMAND "${PREFIX}/lib/vkbuilder/vkc/VKC.EXE" -c mistake.r WORKING_DIRECTORY "${PREFIX}/try"
                OUTPUT_VARIABLE out)
if(NOT out MATCHES "mistake\\.r\\([0-9]+\\) : error")
  message(FATAL_ERROR "installed compiler gave: ${out}")
endif()

file(READ "${PREFIX}/share/applications/vkbuilder.desktop" entry)
foreach(line "Exec=vkbuilder %F" "Icon=vkbuilder" "Categories=Development;IDE;TextEditor;" "Name[ja]=")
  string(FIND "${entry}" "${line}" at)
  if(at LESS 0)
    message(FATAL_ERROR "the desktop entry lacks ${line}")
  endif()
endforeach()
find_program(VALIDATE desktop-file-validate REQUIRED)
execute_process(COMMAND "${VALIDATE}" "${PREFIX}/share/applications/vkbuilder.desktop"
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0 OR out MATCHES "error:")
  message(FATAL_ERROR "desktop-file-validate: ${out}")
endif()
file(REMOVE_RECURSE "${PREFIX}")
