// The desktop program's entry point.
#include "app/startup.h"

int main(int argc, char** argv) {
  return quillora::app::RunDesktop(argc, argv);
}
