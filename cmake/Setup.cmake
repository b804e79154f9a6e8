# Build helpers shared by the setup program and its tests.

# Warnings as errors and the platform's Unicode API for everything we compile ourselves.
function(setup_target_flags target)
  target_compile_definitions(${target} PRIVATE
    WINVER=0x0600 _WIN32_WINNT=0x0600 WIN32_LEAN_AND_MEAN NOMINMAX STRICT UNICODE _UNICODE)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /WX)
    target_compile_definitions(${target} PRIVATE _CRT_SECURE_NO_WARNINGS)
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
  endif()
  if(MINGW AND NOT target MATCHES "^test_")
    # The program throws nothing, asks no types at run time and runs on one thread, so its statics
    # need no guards: each costs size (a guard pulls in the run-time library's thread and
    # exception support). No -fdata-sections: with it mingw moves zero-filled tables from .bss
    # into the file.
    target_compile_options(${target} PRIVATE
      "$<$<COMPILE_LANGUAGE:CXX>:-fno-exceptions;-fno-rtti;-fno-threadsafe-statics>" -fno-asynchronous-unwind-tables
      -ffunction-sections)
    # Smaller still where the build is for size: GCC's -Oz (GCC 12 and later), no jump tables, and on
    # 32-bit x86 the 4-byte stack alignment the platform promises anyway instead of realigning to 16.
    # (Link-time optimisation would be next; mingw-w64's GCC 12 and ld crash on it.)
    if(CMAKE_BUILD_TYPE STREQUAL "MinSizeRel" AND CMAKE_CXX_COMPILER_VERSION VERSION_GREATER_EQUAL 12 AND
       NOT target MATCHES "_checked$")
      target_compile_options(${target} PRIVATE -Oz -fno-jump-tables)
      if(CMAKE_SIZEOF_VOID_P EQUAL 4)
        target_compile_options(${target} PRIVATE -mpreferred-stack-boundary=2)
      endif()
    endif()
  endif()
endfunction()

# Only these three together give an executable that imports system DLLs alone.
function(setup_link_static target)
  if(MINGW)
    target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++)
  endif()
endfunction()

# No time stamp in the image: the same sources build to the same bytes in any folder. A large
# payload travels in the image: on 64-bit Windows, where the 32-bit setup may use 4 GB, the image
# finds room where 2 GB would be crowded.
function(setup_program_flags target)
  setup_link_static(${target})
  if(MINGW)
    target_link_options(${target} PRIVATE -Wl,--gc-sections -Wl,--no-insert-timestamp $<$<NOT:$<CONFIG:Debug>>:-s>
                        -Wl,-Map,${CMAKE_CURRENT_BINARY_DIR}/${target}.map)  # where its bytes go
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
      target_link_options(${target} PRIVATE -Wl,--large-address-aware)
    endif()
  endif()
endfunction()

# OUTPUT gets SIZE bytes of a seeded pseudo-random stream: payload that tests can compare byte for byte.
function(setup_generate_stream output size seed)
  get_filename_component(dir ${output} DIRECTORY)
  file(MAKE_DIRECTORY ${dir})
  add_custom_command(OUTPUT ${output}
    COMMAND Python3::Interpreter ${SETUP_TOOLS_DIR}/make_placeholder.py ${output} ${size} ${seed}
    DEPENDS ${SETUP_TOOLS_DIR}/make_placeholder.py
    VERBATIM)
endfunction()

# Splits arguments NAME=FILE into the names, checked and upper-cased as resource names are stored,
# and the files, made absolute.
function(setup_resource_pairs names_var files_var)
  set(names "")
  set(files "")
  foreach(pair IN LISTS ARGN)
    string(FIND "${pair}" "=" eq)
    if(eq LESS 1)
      message(FATAL_ERROR "Payload entry '${pair}' is not RESOURCE_NAME=FILE")
    endif()
    string(SUBSTRING "${pair}" 0 ${eq} name)
    math(EXPR from "${eq} + 1")
    string(SUBSTRING "${pair}" ${from} -1 file)
    get_filename_component(file "${file}" ABSOLUTE)
    if(NOT name MATCHES "^[A-Za-z0-9_.:-]+$")
      message(FATAL_ERROR "Payload resource name '${name}' may hold only letters, digits and _ . : -")
    endif()
    string(TOUPPER "${name}" name)
    list(APPEND names "${name}")
    list(APPEND files "${file}")
  endforeach()
  set(${names_var} "${names}" PARENT_SCOPE)
  set(${files_var} "${files}" PARENT_SCOPE)
endfunction()

# Embeds files as resources of one type (3000, BITMAP, ...): arguments NAME_OR_ID=FILE.
function(setup_embed_resources target rcname type)
  set(script "")
  set(files "")
  setup_resource_pairs(names files ${ARGN})
  foreach(name file IN ZIP_LISTS names files)
    # Names stay unquoted: windres would glue a quoted name onto the string that ends the line before.
    string(APPEND script "${name} ${type} \"${file}\"\n")
  endforeach()
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_${rcname}.rc)
  file(GENERATE OUTPUT ${rc} CONTENT "${script}")
  target_sources(${target} PRIVATE ${rc})
  set_source_files_properties(${rc} PROPERTIES GENERATED TRUE OBJECT_DEPENDS "${files}")
endfunction()

# Cross builds run their test executables under Wine, in a prefix private to the build tree. The
# 32-bit build also gets a 64-bit prefix, where it runs under WOW64 as on every current Windows.
function(setup_wine_emulator)
  if(NOT CMAKE_CROSSCOMPILING)
    return()
  endif()
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(SETUP_WINE_ARCH win64)
    set(default_loader /usr/lib/wine/wine64)
  else()
    set(SETUP_WINE_ARCH win32)
    set(default_loader wine)
  endif()
  set(SETUP_WINE_LOADER ${default_loader} CACHE STRING "Wine loader that runs the test executables")
  set(SETUP_WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix)
  setup_configure_wine_run(${CMAKE_BINARY_DIR}/wine-run.sh)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run.sh PARENT_SCOPE)
  if(SETUP_WINE_ARCH STREQUAL win32)
    set(SETUP_WINE_ARCH win64)
    set(SETUP_WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix64)
    setup_configure_wine_run(${CMAKE_BINARY_DIR}/wine-run-win64.sh)
    set(SETUP_WOW64_EMULATOR ${CMAKE_BINARY_DIR}/wine-run-win64.sh PARENT_SCOPE)
  else()
    set(SETUP_WOW64_EMULATOR ${CMAKE_BINARY_DIR}/wine-run.sh PARENT_SCOPE)
  endif()
endfunction()

function(setup_configure_wine_run output)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/wine-run.sh.in ${output}
                 @ONLY FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                 WORLD_READ WORLD_EXECUTE)
endfunction()

# The stub: the setup program without anything of a maker, which setup-pack makes setups of. It
# brings the dialog and the manifest, and for the packer alone the built-in languages, the default
# pictures and the version of the formats it reads. CONTRAST: a test program's own answer to whether a
# contrast theme is on; NO_DIALOG: without its dialog (a setup whose window cannot be made).
function(setup_add_stub target)
  cmake_parse_arguments(ARG "NO_DIALOG" "CONTRAST" "" ${ARGN})
  set(src ${PROJECT_SOURCE_DIR}/src)
  set(res ${PROJECT_SOURCE_DIR}/resources)
  set(contrast ${src}/ui/ContrastTheme.cpp)
  if(ARG_CONTRAST)
    set(contrast ${ARG_CONTRAST})
  endif()
  add_executable(${target} WIN32 ${src}/app/Main.cpp ${src}/base/Allocation.cpp ${contrast})
  target_link_libraries(${target} PRIVATE setup_core)
  setup_target_flags(${target})
  setup_program_flags(${target})
  if(MINGW)
    # Main.cpp's SetupStart instead of the run-time library's start-up code.
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
      target_link_options(${target} PRIVATE -nostartfiles -Wl,-e,_SetupStart@0)
    else()
      target_link_options(${target} PRIVATE -nostartfiles -Wl,-e,SetupStart)
    endif()
  endif()
  if(NOT ARG_NO_DIALOG)
    target_sources(${target} PRIVATE ${res}/setup.rc)
  endif()
  # The manifest as the loader reads it: without its comments and the spaces between elements.
  set(manifest ${CMAKE_BINARY_DIR}/setup.manifest)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${res}/setup.manifest)
  file(READ ${res}/setup.manifest text)
  string(REGEX REPLACE "<!--[^>]*-->" "" text "${text}")
  string(REGEX REPLACE ">[ \n\r]+" ">" text "${text}")
  string(REGEX REPLACE "[ \n\r]+" " " text "${text}")
  file(CONFIGURE OUTPUT ${manifest} CONTENT "${text}" @ONLY)
  setup_embed_resources(${target} manifest 24 1=${manifest})
  file(GLOB languages RELATIVE ${res}/languages ${res}/languages/*.txt)
  file(GLOB pictures RELATIVE ${res}/art ${res}/art/*.bmp ${res}/art/*.cur ${res}/art/*.ico)
  set(language_pairs "")
  foreach(file IN LISTS languages)
    list(APPEND language_pairs ${file}=${res}/languages/${file})
  endforeach()
  set(picture_pairs "")
  foreach(file IN LISTS pictures)
    list(APPEND picture_pairs ${file}=${res}/art/${file})
  endforeach()
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${res}/languages ${res}/art)
  setup_embed_resources(${target} languages 3100 ${language_pairs})
  setup_embed_resources(${target} pictures 3101 ${picture_pairs})
  set(format ${CMAKE_BINARY_DIR}/stub-format.txt)
  # The version of the formats the stub reads, which the packer checks: as the formats' header says.
  file(STRINGS ${PROJECT_SOURCE_DIR}/src/format/SetupFormat.h version REGEX "kStubFormatVersion = [0-9]+")
  string(REGEX REPLACE ".*kStubFormatVersion = ([0-9]+).*" "\\1" version "${version}")
  file(WRITE ${format} "${version}")
  setup_embed_resources(${target} format 3102 1=${format})
endfunction()

# The packer for this machine: in a cross build a sub-build with the machine's own compiler, else a
# program of this build. Sets SETUP_PACKER to it.
function(setup_host_packer)
  if(CMAKE_CROSSCOMPILING)
    include(ExternalProject)
    set(folder ${CMAKE_BINARY_DIR}/host-packer)
    ExternalProject_Add(host_packer
      SOURCE_DIR ${PROJECT_SOURCE_DIR}/cmake/packer
      BINARY_DIR ${folder}
      CMAKE_ARGS -G Ninja -DSETUP_SOURCE_DIR=${PROJECT_SOURCE_DIR} -DSETUP_LZMA_SDK_DIR=${SETUP_LZMA_SDK_DIR}
                 -DCMAKE_BUILD_TYPE=Release
      BUILD_ALWAYS ON
      INSTALL_COMMAND ""
      BUILD_BYPRODUCTS ${folder}/setup-pack)
    set(SETUP_PACKER ${folder}/setup-pack PARENT_SCOPE)
  else()
    setup_add_packer(host_packer ${PROJECT_SOURCE_DIR} ${SETUP_LZMA_SDK_DIR})
    set(SETUP_PACKER $<TARGET_FILE:host_packer> PARENT_SCOPE)
  endif()
endfunction()

# A setup packed from a description: setup_pack(TARGET DESCRIPTION [STUB STUB_TARGET] [DEPENDS FILES...]).
# Its paths are taken from this build's folder; the setup goes beside the programs.
function(setup_pack target description)
  cmake_parse_arguments(ARG "" "STUB" "DEPENDS" ${ARGN})
  set(stub SetupStub)
  if(ARG_STUB)
    set(stub ${ARG_STUB})
  endif()
  set(output ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${target}.exe)
  add_custom_command(OUTPUT ${output}
    COMMAND ${SETUP_PACKER} ${description} -o ${output} --stub $<TARGET_FILE:${stub}> --base ${CMAKE_BINARY_DIR}
    DEPENDS ${description} ${stub} host_packer ${SETUP_PACKER} ${ARG_DEPENDS}
    VERBATIM)
  add_custom_target(${target} ALL DEPENDS ${output})
endfunction()
