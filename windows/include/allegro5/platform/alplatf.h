/* Allegro's platform configuration for a MinGW-w64 build of the library, standing in for the
 * header that the library's own build generates: it describes the Windows build (Direct3D and
 * OpenGL, Windows headers) that the programs are compiled against here. */
#ifndef DEMO_ALPLATF_MINGW_H
#define DEMO_ALPLATF_MINGW_H

#define ALLEGRO_MINGW32
#define ALLEGRO_CFG_RELEASE_LOGGING

#define ALLEGRO_CFG_D3D
#define ALLEGRO_CFG_OPENGL
#define ALLEGRO_CFG_OPENGL_FIXED_FUNCTION
#define ALLEGRO_CFG_OPENGL_PROGRAMMABLE_PIPELINE
#define ALLEGRO_CFG_SHADER_GLSL
#define ALLEGRO_CFG_SHADER_HLSL

#define ALLEGRO_HAVE_DIRENT_H
#define ALLEGRO_HAVE_INTTYPES_H
#define ALLEGRO_HAVE_STDBOOL_H
#define ALLEGRO_HAVE_STDINT_H
#define ALLEGRO_HAVE_SYS_STAT_H
#define ALLEGRO_HAVE_SYS_TIME_H
#define ALLEGRO_HAVE_TIME_H
#define ALLEGRO_HAVE_SYS_TYPES_H
#define ALLEGRO_HAVE_VA_COPY
#define ALLEGRO_HAVE_FTELLI64
#define ALLEGRO_HAVE_FSEEKI64

#define ALLEGRO_LITTLE_ENDIAN

#endif
