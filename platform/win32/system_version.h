// The version of Windows the program runs on, as the kernel reports it
// (compatibility shims make GetVersionEx lie), and whether it is Wine.
#pragma once

namespace vandrel {

struct SystemVersion {
  unsigned major = 0;
  unsigned minor = 0;
  unsigned build = 0;
  bool wine = false;  // Wine imitates a build number; its entry points are not Windows'
};

const SystemVersion& CurrentSystemVersion();

}  // namespace vandrel
