#pragma once

// The number patterns the program shows figures with (see NumberFormat for the rules:
// positive;negative;zero), one name each so that every window shows a kind of figure alike.

namespace hemu::DisplayFormats {

/// Money and stock figures: one or two decimals, zero shows nothing.
inline constexpr char Money[] = "0.0#;'-'0.0#;#.##";
/// Quantities: up to two decimals, zero shows nothing.
inline constexpr char Quantity[] = "0.##;'-'0.##;#.##";
/// Stock figures that show a zero as "0".
inline constexpr char Counter[] = "0.0#;'-'0.0#;#";
/// The difference between the books and the count: zero shows as "0".
inline constexpr char Difference[] = "0.0#;'-'0.0#;0.##";
/// Prices and line amounts: one or two decimals, zero included.
inline constexpr char Price[] = "0.0#";
/// The stock check's own figures: one or two decimals for every value.
inline constexpr char CheckFigure[] = "0.0#;";
/// Exactly two decimals.
inline constexpr char Cents[] = "0.00";
/// The total a customer owes: up to two decimals, a negative one with two.
inline constexpr char DueTotal[] = "0.##;'-'0.00;#.##";
/// Money a customer owes: two decimals, zero shows nothing.
inline constexpr char DueMoney[] = "0.00;'-'0.00;#.##";

} // namespace hemu::DisplayFormats
