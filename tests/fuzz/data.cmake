# Libraries of the game data fuzz targets.
foreach(name datafile savefile)
  set(FUZZ_LIBS_${name} tilvan_data)
endforeach()
