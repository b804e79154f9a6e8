# The maker's packer, setup-pack: built for the machine that builds (a sub-build with its own
# compiler, cmake/packer) and, in a cross build, for Windows as a console program. Both from the
# same sources; both give the same setups.

# setup_add_packer(TARGET SOURCE_DIR LZMA_SDK_DIR)
function(setup_add_packer target source lzma)
  set(pack ${source}/src/pack)
  add_executable(${target}
    ${pack}/ComponentCheck.cpp ${pack}/Description.cpp ${pack}/HostFiles.cpp ${pack}/HostThreads.cpp ${pack}/IconResources.cpp
    ${pack}/LanguageTexts.cpp ${pack}/LzmaPacking.cpp ${pack}/Main.cpp ${pack}/MakerBlock.cpp
    ${pack}/NewDescription.cpp ${pack}/PeImage.cpp ${pack}/PictureCheck.cpp ${pack}/Refusals.cpp
    ${pack}/SetupPacker.cpp ${pack}/Sha256.cpp ${pack}/Signing.cpp ${pack}/VersionResource.cpp
    ${pack}/WingetManifests.cpp ${source}/src/format/ContentHash.cpp
    ${lzma}/LzmaEnc.c ${lzma}/LzFind.c)
  target_include_directories(${target} PRIVATE ${source}/src)
  set_source_files_properties(${pack}/LzmaPacking.cpp ${lzma}/LzmaEnc.c ${lzma}/LzFind.c
                              PROPERTIES INCLUDE_DIRECTORIES ${lzma})
  if(NOT WIN32)
    target_link_libraries(${target} PRIVATE pthread)
  endif()
  # The SDK's encoder as it ships: single-threaded, its one warning (a variable it sets and never reads) its own.
  set_source_files_properties(${lzma}/LzmaEnc.c ${lzma}/LzFind.c PROPERTIES
                              COMPILE_DEFINITIONS _7ZIP_ST COMPILE_OPTIONS -Wno-unused-but-set-variable)
  set_property(TARGET ${target} PROPERTY CXX_STANDARD 17)
  set_property(TARGET ${target} PROPERTY CXX_STANDARD_REQUIRED ON)
  target_compile_definitions(${target} PRIVATE TOML_EXCEPTIONS=0 TOML_ENABLE_FORMATTERS=0)
  target_compile_options(${target} PRIVATE $<$<COMPILE_LANGUAGE:CXX>:-fno-exceptions -Wall -Wextra -Werror>)
  if(MINGW)
    # toml++ lives in the build machine's /usr/include, whose other headers are not for Windows: an
    # include folder that holds only a link to it.
    set(only_toml ${CMAKE_BINARY_DIR}/toml-include)
    if(NOT EXISTS ${only_toml}/toml++)
      file(MAKE_DIRECTORY ${only_toml})
      file(CREATE_LINK /usr/include/toml++ ${only_toml}/toml++ SYMBOLIC)
    endif()
    target_include_directories(${target} SYSTEM PRIVATE ${only_toml})
    target_compile_definitions(${target} PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX UNICODE _UNICODE)
    target_link_options(${target} PRIVATE -municode -static -static-libgcc -static-libstdc++ -Wl,--no-insert-timestamp -s)
  endif()
endfunction()
