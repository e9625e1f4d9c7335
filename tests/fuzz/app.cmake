# Targets that load through the application object. Its static libraries refer to each other both
# ways, so the upper ones are named again after the lower ones.
foreach(name fontdesc widths manifest imagesearch cmdline demo)
  set(FUZZ_LIBS_${name} olvarn_app olvarn_widgets olvarn_resources olvarn_graphics olvarn_app olvarn_widgets
      olvarn_graphics)
endforeach()
