# The sound file readers' fuzz targets.
set(FUZZ_LIBS_wav olvarn_sound)
set(FUZZ_LIBS_au olvarn_sound)
set(FUZZ_LIBS_ogg olvarn_sound)
set(FUZZ_LIBS_mp3 olvarn_sound)
set(FUZZ_LIBS_module olvarn_platform)
set(FUZZ_LIBS_music olvarn_platform)
