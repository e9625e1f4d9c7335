# Libraries of the profiles and records fuzz targets.
foreach(name profiles recordsfile scorereply scorerequest)
  set(FUZZ_LIBS_${name} tilvan_records)
endforeach()
