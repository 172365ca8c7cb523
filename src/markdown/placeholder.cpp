// Placeholder until the parser lands.
namespace tovik::markdown {}
