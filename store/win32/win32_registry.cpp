// Win32 registry adapter.
