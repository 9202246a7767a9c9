# The picture decoders, as imported targets with the same names in both configurations:
#   glintora::jpeg glintora::png glintora::tiff glintora::gif glintora::raw
# Natively they are Debian's packages; for Windows, the static libraries that
# scripts/build-win-deps.sh cross-builds (built on first use if the cache lacks them) and
# Debian's MinGW zlib.
# OpenGL 1.1 and GLU, glintora::gl: the system's opengl32 and glu32 on Windows; natively
# Debian's off-screen Mesa (OSMesa, which exports the GL functions itself) and GLU.

if(WIN32)
  if(NOT GLINTORA_WIN_DEPS)
    execute_process(COMMAND ${CMAKE_SOURCE_DIR}/scripts/build-win-deps.sh --prefix
      OUTPUT_VARIABLE deps_prefix OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE deps_result)
    if(NOT deps_result EQUAL 0)
      message(FATAL_ERROR "The Windows libraries could not be built (scripts/build-win-deps.sh)")
    endif()
    set(GLINTORA_WIN_DEPS ${deps_prefix} CACHE PATH "Cross-built static Windows libraries")
  endif()
  find_library(MINGW_ZLIB NAMES libz.a z REQUIRED)

  function(glintora_import name file)
    add_library(glintora::${name} STATIC IMPORTED GLOBAL)
    set_target_properties(glintora::${name} PROPERTIES
      IMPORTED_LOCATION ${GLINTORA_WIN_DEPS}/lib/${file}
      INTERFACE_INCLUDE_DIRECTORIES ${GLINTORA_WIN_DEPS}/include)
    if(ARGN)
      set_target_properties(glintora::${name} PROPERTIES INTERFACE_LINK_LIBRARIES "${ARGN}")
    endif()
  endfunction()
  glintora_import(jpeg libjpeg.a)
  glintora_import(png libpng16.a ${MINGW_ZLIB})
  glintora_import(tiff libtiff.a glintora::jpeg ${MINGW_ZLIB})
  glintora_import(gif libgif.a)
  glintora_import(raw libraw.a ws2_32)
  set_property(TARGET glintora::raw APPEND PROPERTY INTERFACE_COMPILE_DEFINITIONS LIBRAW_NODLL)
  add_library(glintora::gl INTERFACE IMPORTED GLOBAL)
  set_target_properties(glintora::gl PROPERTIES INTERFACE_LINK_LIBRARIES "opengl32;glu32")
else()
  find_package(JPEG REQUIRED)
  find_package(PNG REQUIRED)
  find_package(TIFF REQUIRED)
  find_package(GIF REQUIRED)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(LIBRAW REQUIRED IMPORTED_TARGET libraw)
  # OSMesa before GLU, so that GLU's own GL calls reach the off-screen context.
  pkg_check_modules(OSMESA REQUIRED IMPORTED_TARGET osmesa glu)
  foreach(pair jpeg=JPEG::JPEG png=PNG::PNG tiff=TIFF::TIFF gif=GIF::GIF raw=PkgConfig::LIBRAW gl=PkgConfig::OSMESA)
    string(REPLACE "=" ";" pair ${pair})
    list(GET pair 0 name)
    list(GET pair 1 target)
    add_library(glintora::${name} INTERFACE IMPORTED GLOBAL)
    set_target_properties(glintora::${name} PROPERTIES INTERFACE_LINK_LIBRARIES ${target})
  endforeach()
endif()
