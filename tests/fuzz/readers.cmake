# Libraries of the file readers' fuzz targets.
foreach(name xml desc tga gif png jpeg)
  set(FUZZ_LIBS_${name} olvarn_resources)
endforeach()
# The settings format is the platform's own.
set(FUZZ_LIBS_settings olvarn_platform)
