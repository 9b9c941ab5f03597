// The results database routines arrive with their own change; the library exists so the
// dependency graph is in place from the start.
namespace smx::results {
int results_library_anchor() {
    return 0;
}
} // namespace smx::results
