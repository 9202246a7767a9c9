# The picture decoders, as targets with the same names in both configurations:
#   glintora::jpeg glintora::png glintora::tiff glintora::gif glintora::raw glintora::heif
#   glintora::webp, and glintora::dav1d, the AV1 decoder the HEIF loader hands libheif
# Natively all but the RAW decoder are Debian's packages; for Windows, the static libraries that
# scripts/build-win-deps.sh cross-builds (built on first use if the cache lacks them) and
# Debian's MinGW zlib. LibRaw, whose history of memory faults makes it the decoder most worth
# fuzzing, is compiled here from the source that script keeps, in both configurations: the
# native tests, sanitizers and fuzzers then exercise the very version the Windows program
# ships.
# OpenGL 1.1 and GLU, glintora::gl: the system's opengl32 and glu32 on Windows; natively
# Debian's off-screen Mesa (OSMesa, which exports the GL functions itself) and GLU.

if(NOT GLINTORA_WIN_DEPS)
  execute_process(COMMAND ${CMAKE_SOURCE_DIR}/scripts/build-win-deps.sh --prefix
    OUTPUT_VARIABLE deps_prefix OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE deps_result)
  if(NOT deps_result EQUAL 0)
    message(FATAL_ERROR "The Windows libraries could not be built (scripts/build-win-deps.sh)")
  endif()
  set(GLINTORA_WIN_DEPS ${deps_prefix} CACHE PATH "Cross-built static Windows libraries and LibRaw's source")
endif()

set(libraw_root ${GLINTORA_WIN_DEPS}/src/libraw)
file(STRINGS ${libraw_root}/library-sources.txt libraw_sources)
list(TRANSFORM libraw_sources PREPEND ${libraw_root}/)
file(STRINGS ${libraw_root}/debian-version.txt GLINTORA_LIBRAW_DEBIAN_VERSION LIMIT_COUNT 1)
add_library(glintora_libraw STATIC ${libraw_sources})
target_include_directories(glintora_libraw SYSTEM PUBLIC ${libraw_root})
# Built as its own makefiles build it: the compiler's default dialect, with the extensions
# that give it M_PI and friends.
set_target_properties(glintora_libraw PROPERTIES CXX_STANDARD 17 CXX_EXTENSIONS ON)
# Without its optional outside components (JPEG 2000, colour management).
target_compile_definitions(glintora_libraw PRIVATE NO_JASPER NO_LCMS USE_X3FTOOLS=0)
# Its own code, not ours: no warnings, and optimised even in a debug build, where the tests
# decode with it. Undefined-behaviour checks stay off for it (its arithmetic relies on
# wrapping shifts throughout); AddressSanitizer and the fuzzers' coverage stay on.
target_compile_options(glintora_libraw PRIVATE -w $<$<CONFIG:Debug>:-O1>)
if(GLINTORA_SANITIZE AND NOT WIN32)
  target_compile_options(glintora_libraw PRIVATE -fno-sanitize=undefined)
endif()
if(WIN32)
  target_compile_definitions(glintora_libraw PUBLIC LIBRAW_NODLL)
  target_link_libraries(glintora_libraw PUBLIC ws2_32)
else()
  target_link_libraries(glintora_libraw PUBLIC m)
endif()
add_library(glintora::raw ALIAS glintora_libraw)

if(WIN32)
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
  # libheif with its two decoders built in; its header exports nothing from a static build.
  glintora_import(de265 libde265.a)
  glintora_import(dav1d libdav1d.a)
  glintora_import(heif libheif.a glintora::de265 glintora::dav1d -lpthread)
  set_property(TARGET glintora::heif APPEND PROPERTY INTERFACE_COMPILE_DEFINITIONS LIBHEIF_STATIC_BUILD)
  glintora_import(webp_core libwebp.a)
  glintora_import(webp libwebpdemux.a glintora::webp_core)
  add_library(glintora::gl INTERFACE IMPORTED GLOBAL)
  set_target_properties(glintora::gl PROPERTIES INTERFACE_LINK_LIBRARIES "opengl32;glu32")
else()
  find_package(JPEG REQUIRED)
  find_package(PNG REQUIRED)
  find_package(TIFF REQUIRED)
  find_package(GIF REQUIRED)
  find_package(PkgConfig REQUIRED)
  # OSMesa before GLU, so that GLU's own GL calls reach the off-screen context.
  pkg_check_modules(OSMESA REQUIRED IMPORTED_TARGET osmesa glu)
  pkg_check_modules(HEIF REQUIRED IMPORTED_TARGET libheif)
  pkg_check_modules(DAV1D REQUIRED IMPORTED_TARGET dav1d)
  pkg_check_modules(WEBP REQUIRED IMPORTED_TARGET libwebp libwebpdemux)
  foreach(pair jpeg=JPEG::JPEG png=PNG::PNG tiff=TIFF::TIFF gif=GIF::GIF gl=PkgConfig::OSMESA heif=PkgConfig::HEIF
               dav1d=PkgConfig::DAV1D webp=PkgConfig::WEBP)
    string(REPLACE "=" ";" pair ${pair})
    list(GET pair 0 name)
    list(GET pair 1 target)
    add_library(glintora::${name} INTERFACE IMPORTED GLOBAL)
    set_target_properties(glintora::${name} PROPERTIES INTERFACE_LINK_LIBRARIES ${target})
  endforeach()
endif()
