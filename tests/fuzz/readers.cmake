# Libraries of the file readers' fuzz targets.
foreach(name xml desc tga gif png jpeg)
  set(FUZZ_LIBS_${name} olvarn_resources)
endforeach()
