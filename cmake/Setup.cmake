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

# Embeds files as resources of type 3000, the ones the setup installs. Each argument after the
# resource-script name is [KEYWORD/]RESOURCE_NAME=FILE; the resource name encodes the installed file
# name. KEYWORD names the component the file belongs to: its toggle, cleared, leaves out every file
# whose installed name holds the keyword, letter case aside; tools/components.py refuses a payload
# for which that would go wrong.
function(setup_embed_payload target rcname)
  get_target_property(components ${target} SETUP_COMPONENTS)
  if(NOT components)
    set(components "")  # a test program: no toggles
  endif()
  setup_check_components(- "${components}" ${ARGN})
  set(pairs "")
  foreach(entry IN LISTS ARGN)
    string(REGEX REPLACE "^[^/=]+/" "" pair "${entry}")
    list(APPEND pairs "${pair}")
  endforeach()
  setup_pack_payload(${target} ${rcname} ${pairs})
endfunction()

# Runs tools/components.py over the components and payload entries: writes the string table of the
# toggles into RC (- for none), or stops the configuration with its reasons.
function(setup_check_components rc components)
  execute_process(COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tools/components.py ${rc}
                          --components ${components} --payload ${ARGN}
                  RESULT_VARIABLE failed ERROR_VARIABLE faults)
  if(failed)
    message(FATAL_ERROR "${faults}")
  endif()
endfunction()

# The build machine's payload packer (tools/pack_payload.c over the LZMA SDK's encoder): built
# with the host's compiler in a cross build, as a program of this build otherwise.
function(setup_payload_packer result)
  set(sdk ${SETUP_LZMA_SDK_DIR})
  set(sources ${PROJECT_SOURCE_DIR}/tools/pack_payload.c ${sdk}/LzmaEnc.c ${sdk}/LzFind.c)
  if(CMAKE_CROSSCOMPILING)
    set(packer ${CMAKE_BINARY_DIR}/host/pack_payload)
    if(NOT TARGET setup_payload_packer)
      find_program(SETUP_HOST_CC NAMES cc gcc NO_CMAKE_FIND_ROOT_PATH REQUIRED)
      file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/host)
      # The encoder's only warning is an unused variable of its own.
      add_custom_command(OUTPUT ${packer}
        COMMAND ${SETUP_HOST_CC} -O2 -D_7ZIP_ST -I${sdk} -Wall -Wextra -Wno-unused-but-set-variable -o ${packer}
                ${sources}
        DEPENDS ${sources} VERBATIM)
      add_custom_target(setup_payload_packer DEPENDS ${packer})
    endif()
  else()
    if(NOT TARGET setup_payload_packer)
      add_executable(setup_payload_packer ${sources})
      target_include_directories(setup_payload_packer PRIVATE ${sdk})
      target_compile_definitions(setup_payload_packer PRIVATE _7ZIP_ST _CRT_SECURE_NO_WARNINGS)
    endif()
    set(packer $<TARGET_FILE:setup_payload_packer>)
  endif()
  set(${result} ${packer} PARENT_SCOPE)
endfunction()

# Embeds the payload files, arguments RESOURCE_NAME=FILE: compressed into one LZMA stream where
# that shrinks them, as they are where it does not (see tools/pack_payload.c).
function(setup_pack_payload target rcname)
  setup_pack(${target} ${rcname} --payload ${ARGN})
endfunction()

# Runs the packer over NAME=FILE arguments (MODE --payload or --art) into a resource script of the
# target.
function(setup_pack target rcname mode)
  setup_payload_packer(packer)
  set(folder ${CMAKE_CURRENT_BINARY_DIR}/${target}_${rcname})
  set(rc ${folder}.rc)
  set(files "")
  set(pairs "")
  set(options "")
  set(stub "")
  if(mode STREQUAL "--art" OR mode STREQUAL "--blocks")
    set(options ${mode})
  elseif(TARGET SetupWithoutPayload)
    # What the setup keeps as its uninstaller where its payload outweighs it.
    set(options --uninstaller $<TARGET_FILE:SetupWithoutPayload>)
    set(stub SetupWithoutPayload)
  endif()
  setup_resource_pairs(names files ${ARGN})
  foreach(name file IN ZIP_LISTS names files)
    list(APPEND pairs "${name}=${file}")
  endforeach()
  file(MAKE_DIRECTORY ${folder})
  # The packed files are named in the script it writes: the script stands for them.
  add_custom_command(OUTPUT ${rc}
    COMMAND ${packer} ${options} ${folder} ${rc} ${pairs}
    DEPENDS ${files} setup_payload_packer ${packer} ${stub} VERBATIM)
  target_sources(${target} PRIVATE ${rc})
  set_source_files_properties(${rc} PROPERTIES GENERATED TRUE OBJECT_DEPENDS "${files}")
endfunction()

# The components a setup offers, one toggle each, in order: entries KEYWORD|CAPTION|STATUS TEXT, in
# any language (UTF-8). Their texts go into a string table that the dialog reads.
function(setup_embed_components target)
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_components.rc)
  setup_check_components(${rc} "${ARGN}")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tools/components.py)
  target_sources(${target} PRIVATE ${rc})
  set_target_properties(${target} PROPERTIES SETUP_COMPONENTS "${ARGN}")
endfunction()

# The texts of every built-in language (resources/languages) and the components' own texts in them
# (the maker's file COMPONENT_TEXTS, or none), checked and joined by tools/languages.py when the
# build is configured, and carried compressed. Arguments: the components, KEYWORD|CAPTION|STATUS.
function(setup_embed_texts target component_texts)
  set(keywords "")
  foreach(component IN LISTS ARGN)
    string(REGEX REPLACE "\\|.*" "" keyword "${component}")
    list(APPEND keywords "${keyword}")
  endforeach()
  set(languages ${PROJECT_SOURCE_DIR}/resources/languages)
  set(ids ${PROJECT_SOURCE_DIR}/src/base/TextId.h)
  set(product ${PROJECT_SOURCE_DIR}/src/base/Product.h)
  set(block ${CMAKE_CURRENT_BINARY_DIR}/${target}_texts.bin)
  set(options "")
  if(component_texts)
    get_filename_component(component_texts "${component_texts}" ABSOLUTE)
    set(options --texts ${component_texts})
  endif()
  set(carried "")
  if(SETUP_LANGUAGES)
    set(carried --languages ${SETUP_LANGUAGES})
  endif()
  file(GLOB files ${languages}/*.txt)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
               ${files} ${ids} ${product} ${component_texts} ${PROJECT_SOURCE_DIR}/tools/languages.py)
  execute_process(COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tools/languages.py ${block} ${ids} ${product}
                          ${languages} ${carried} --components ${keywords} ${options}
                  RESULT_VARIABLE failed ERROR_VARIABLE faults)
  if(failed)
    message(FATAL_ERROR "${faults}")
  endif()
  setup_pack(${target} texts --blocks 1=${block})
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

# A setup executable: start-up, dialog, art and manifest. Its payload is embedded separately.
# Further arguments are its components (see setup_embed_components); without them, the one filter
# this maker's setup has always offered. TEXTS file before them names the components' texts in
# other languages (else SETUP_COMPONENT_TEXTS).
function(setup_add_program target)
  cmake_parse_arguments(ARG "" "TEXTS;CONTRAST" "" ${ARGN})
  set(components ${ARG_UNPARSED_ARGUMENTS})
  set(texts "${SETUP_COMPONENT_TEXTS}")
  if(ARG_TEXTS)
    set(texts ${ARG_TEXTS})
  endif()
  set(src ${PROJECT_SOURCE_DIR}/src)
  # Whether a contrast theme is on: the system's answer, unless a test program brings its own.
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
  setup_embed_program_resources(${target} "${texts}" ${components})
endfunction()

# The pictures a setup carries: the maker's own from SETUP_ART_DIR where it has them, the default
# ones for the rest. Sets PREFIX_<name> for each picture's file. The maker's pictures are checked
# here, and a change to one configures the build again.
function(setup_art prefix)
  set(pictures background.bmp banner.bmp toggle.bmp exit.bmp begin.bmp finish.bmp)
  set(names ${pictures} hand.cur app.ico)
  # The pictures at 150 % and 200 %: the maker's where the folder has them; by default the 200 %
  # ones, from which the setup makes the other scales.
  foreach(picture IN LISTS pictures)
    string(REPLACE ".bmp" "" stem ${picture})
    list(APPEND names ${stem}-150.bmp ${stem}-200.bmp)
  endforeach()
  set(checks "")
  foreach(name IN LISTS names)
    set(file ${PROJECT_SOURCE_DIR}/resources/art/${name})
    string(REGEX REPLACE "-(150|200)[.]bmp$" ".bmp" own ${name})
    # The default has none at 150 %, and a maker's own picture no default one at another scale.
    if(name MATCHES "-150[.]bmp$" OR (NOT own STREQUAL name AND SETUP_ART_DIR AND EXISTS "${SETUP_ART_DIR}/${own}"))
      set(file "")
    endif()
    if(SETUP_ART_DIR AND EXISTS "${SETUP_ART_DIR}/${name}")
      set(file "${SETUP_ART_DIR}/${name}")
      list(APPEND checks "${name}=${file}")
      set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${file}")
    endif()
    set(${prefix}_${name} "${file}" PARENT_SCOPE)
  endforeach()
  if(SETUP_ART_DIR)
    if(NOT IS_DIRECTORY "${SETUP_ART_DIR}")
      message(FATAL_ERROR "SETUP_ART_DIR: ${SETUP_ART_DIR} is no folder")
    endif()
    # A picture under another name would be left out without a word.
    file(GLOB pictures RELATIVE "${SETUP_ART_DIR}" "${SETUP_ART_DIR}/*.bmp" "${SETUP_ART_DIR}/*.cur"
         "${SETUP_ART_DIR}/*.ico" "${SETUP_ART_DIR}/*.png" "${SETUP_ART_DIR}/*.jpg")
    foreach(picture IN LISTS pictures)
      if(NOT picture IN_LIST names)
        list(APPEND checks "${picture}=${SETUP_ART_DIR}/${picture}")
      endif()
    endforeach()
  endif()
  if(checks)
    execute_process(COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tools/check_art.py ${checks}
                    RESULT_VARIABLE failed OUTPUT_VARIABLE faults)
    if(failed)
      message(FATAL_ERROR "SETUP_ART_DIR: pictures that cannot be used:\n${faults}")
    endif()
  endif()
endfunction()

# The dialog, art, texts, cursor, icon and manifest every setup executable carries; the components'
# texts in other languages (a file, or empty) and the components follow.
function(setup_embed_program_resources target component_texts)
  set(res ${PROJECT_SOURCE_DIR}/resources)
  target_sources(${target} PRIVATE ${res}/setup.rc)
  string(REPLACE "." "," numeric "${PROJECT_VERSION}")
  # Unquoted: windres hands its definitions through a shell, which would eat the quotes.
  target_compile_definitions(${target} PRIVATE PRODUCT_VERSION_DOTTED=${PROJECT_VERSION}
                             PRODUCT_VERSION_NUMBERS=${numeric},0)
  if(ARGN)
    set(components ${ARGN})
  else()
    set(components "Mien|Mien Fold Plug-in|Select to install Mien Fold filter")
    set(component_texts ${res}/languages/components.txt)
  endif()
  setup_embed_components(${target} ${components})
  setup_embed_texts(${target} "${component_texts}" ${components})
  setup_art(art)
  # Compressed like the payload: the pictures are most of what a setup weighs without it.
  # Each picture at 100 %, then those at 150 % and 200 % (ids + 1000 and + 2000) where there are
  # any, in one stream: a window at 100 % decodes no further than its own pictures.
  set(pictures "")
  foreach(percent_step 100=0 150=1000 200=2000)
    string(REPLACE "=" ";" scale ${percent_step})
    list(GET scale 0 percent)
    list(GET scale 1 step)
    foreach(id_stem 117=background 128=toggle 203=exit 213=banner 219=begin 220=finish)
      string(REPLACE "=" ";" pair ${id_stem})
      list(GET pair 0 id)
      list(GET pair 1 stem)
      set(name ${stem}-${percent}.bmp)
      if(percent EQUAL 100)
        set(name ${stem}.bmp)
      endif()
      if(art_${name})
        math(EXPR scaled_id "${id} + ${step}")
        list(APPEND pictures ${scaled_id}=${art_${name}})
      endif()
    endforeach()
  endforeach()
  setup_pack(${target} art --art ${pictures})
  setup_embed_resources(${target} cursor CURSOR 120=${art_hand.cur})
  setup_embed_resources(${target} icon ICON 1=${art_app.ico})
  # The manifest as the loader reads it: without its comments and the spaces between elements.
  set(manifest ${CMAKE_BINARY_DIR}/setup.manifest)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${res}/setup.manifest)
  file(READ ${res}/setup.manifest text)
  string(REGEX REPLACE "<!--[^>]*-->" "" text "${text}")
  string(REGEX REPLACE ">[ \n\r]+" ">" text "${text}")
  string(REGEX REPLACE "[ \n\r]+" " " text "${text}")
  file(CONFIGURE OUTPUT ${manifest} CONTENT "${text}" @ONLY)
  setup_embed_resources(${target} manifest 24 1=${manifest})
endfunction()
