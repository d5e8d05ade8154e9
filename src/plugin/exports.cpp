// The plug-in's exported entry points (filled in with the driver).
