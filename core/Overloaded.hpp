#pragma once

namespace quillet {

// Combines lambdas into one visitor, so a std::visit over a variant reads as a switch over its cases.
template <class... Lambdas> struct Overloaded : Lambdas... {
    using Lambdas::operator()...;
};

template <class... Lambdas> Overloaded(Lambdas...) -> Overloaded<Lambdas...>;

} // namespace quillet
