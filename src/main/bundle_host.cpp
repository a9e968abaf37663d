// The one-file installer's stub on Linux: runs the distribution appended to this program.
#include <string>
#include <vector>

#include "bundle/bundle_runner.h"
#include "platform/host/bundle/host_bundle_system.h"

int main(int argc, char** argv) {
  setup::HostBundleSystem system;
  const int status =
      setup::bundle::RunBundle(system, std::vector<std::string>(argv + 1, argv + argc));
  return system.EndWith(status);
}
