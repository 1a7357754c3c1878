# Run by cpack before it packs: a package without its manual pages is not
# made (the build left them out, as scdoc was missing when it was set up).
message(FATAL_ERROR "the manual pages were not built: install scdoc (Debian: scdoc), "
  "configure the build folder again and build it, then make the package")
