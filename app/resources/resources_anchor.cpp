// The window descriptions are attached to this library as compiled-in resources.
